#include "fonts/config.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Text that grows one character at a time: the pending text between tags, names and segments.
// Appending to an immutable String copies it every time, which made long texts quadratic; a
// buffer becomes a String once, when it is complete.
class TextBuffer {
public:
    void Append(String::Char c) { chars_.push_back(c); }
    void Append(const TextBuffer& other) { chars_ += other.chars_; }
    bool IsEmpty() const { return chars_.empty(); }
    void Clear() { chars_.clear(); }
    String ToString() const { return String(chars_.data(), int(chars_.size())); }

private:
    std::u32string chars_;
};

bool IsNameCharacter(String::Char c) {
    return c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsUnquotedValueCharacter(String::Char c) { return IsNameCharacter(c) || c == '$' || c == '.'; }

bool IsQuote(String::Char c) { return c == '"' || c == '\''; }

String CharacterText(String::Char c) { return String(&c, 1); }

String IllegalCharacterMessage(String::Char c) {
    return String("illegal character asc='") + String::FromInt(int(c)) + String("' chr='") + CharacterText(c) +
           String("'");
}

// The stack of open elements, innermost last. Each keeps the text read while it was innermost in
// a buffer, handed to the node's `value` once when the element closes (or parsing stops), so a
// node with many children still costs one copy of its text.
class OpenElements {
public:
    void Push(c_ConfigNode* node) { elements_.push_back({node, TextBuffer()}); }
    int Count() const { return int(elements_.size()); }
    c_ConfigNode* Innermost() const { return elements_.back().node; }
    void AppendText(const TextBuffer& text) { elements_.back().text.Append(text); }

    c_ConfigNode* Pop() {
        Element& innermost = elements_.back();
        c_ConfigNode* node = innermost.node;
        GiveText(innermost);
        elements_.pop_back();
        return node;
    }

    void GiveAllTexts() {
        for (Element& element : elements_) GiveText(element);
        elements_.clear();
    }

private:
    struct Element {
        c_ConfigNode* node;
        TextBuffer text;
    };

    static void GiveText(Element& element) {
        if (!element.text.IsEmpty()) element.node->value += element.text.ToString();
    }

    std::vector<Element> elements_;
};

// The attributes of the tag being read, in the order their names first appear; a repeated name
// adds its segments to the first attribute of that name. They become ConfigAttributes once the
// tag content is complete: growing a ConfigAttribute one segment at a time copies all its
// segments and its value each time, and finding it again walks the list, so a long value or
// many attributes would make a tag quadratic.
class TagAttributes {
public:
    // The attribute of that name, found or added. The parser keys a name once, however many
    // segments follow it: lower-casing and hashing a long name at every segment was quadratic.
    size_t Named(const String& name) {
        String lowerName = name.ToLower();
        std::u32string key(lowerName.Data(), size_t(lowerName.Length()));
        auto found = index_.find(key);
        if (found != index_.end()) return found->second;
        index_.emplace(key, attributes_.size());
        attributes_.push_back({name, {}});
        return attributes_.size() - 1;
    }

    void AddSegment(size_t attribute, const String& segment) { attributes_[attribute].segments.push_back(segment); }

    void GiveTo(c_ConfigNode* node) {
        ZV_FUNC("TagAttributes.GiveTo");
        ZV_LOCAL(node);
        ZV_AT for (const Pending& pending : attributes_) {
            ZV_BLOCK;
            ZV_AT c_ConfigAttribute* attribute = new c_ConfigAttribute(pending.name, pending.segments[0]);
            ZV_LOCAL(attribute);
            ZV_AT if (pending.segments.size() > 1) {
                ZV_BLOCK;
                ZV_AT Array<String> segments(int(pending.segments.size()));
                ZV_LOCAL(segments);
                ZV_AT for (int i = 0; i < segments.Length(); ++i) segments[i] = pending.segments[size_t(i)];
                ZV_AT gc_store_array(attribute->segments, segments);
                ZV_AT attribute->UpdateValue();
            }
            ZV_AT if (!node->attributes) gc_store(node->attributes, new c_List<c_ConfigAttribute*>());
            ZV_AT node->attributes->AddLast(attribute);
        }
        ZV_AT attributes_.clear();
        ZV_AT index_.clear();
    }

private:
    struct Pending {
        String name;
        std::vector<String> segments;
    };

    std::vector<Pending> attributes_;
    std::unordered_map<std::u32string, size_t> index_;
};

// One run of Config.Parse. The scanner finds the next tag and gathers the text before it; the
// tag-content machine reads the tag's name and attributes; then the tag joins the tree. The
// find... names are those of the format's description. Every step that fails has already called
// SetError and returns false.
class ConfigParser {
public:
    explicit ConfigParser(c_Config* config)
        : config(config), script(config->script), text(script.Data()), length(script.Length()) {}

    bool Run() {
        ZV_FUNC("ConfigParser.Run");
        ZV_AT open.Push(config);
        ZV_AT bool succeeded = ReadTags();
        ZV_LOCAL(succeeded);
        ZV_AT open.GiveAllTexts();
        ZV_AT return succeeded;
    }

private:
    // The states of the tag-content machine, one per group of rows of its table.
    enum class ContentState { NoName, NameComplete, Value, SegmentClosed, Quoted };
    // What a character of tag content asks for next.
    enum class Step { Next, ReadAgain, Failed };

    bool ReadTags() {
        ZV_FUNC("ConfigParser.ReadTags");
        // Length minus one: a single character after the last tag is never scanned.
        ZV_AT while (scriptIndex < length - 1) {
            ZV_BLOCK;
            ZV_AT if (!ScanToTagEnd()) return false;
            ZV_AT if (findHasQuotes) return FailAtEnd(String("expecting ending quote"));
            ZV_AT if (findHasStart && !findHasEnd) return FailAtEnd(String("expecting ending bracket"));
            ZV_AT if (!findHasEnd) {
                ZV_BLOCK;
                // Text after the last tag is dropped.
                ZV_AT if (open.Count() > 1) return FailAtEnd(String("unexpected end of file"));
                ZV_AT return true;
            }
            ZV_AT StartTag();
            ZV_AT if (!ReadTagContent(findTagStart + findTagStartSize, findTagEnd)) return false;
            ZV_AT tagAttributes.GiveTo(findTag);
            ZV_AT if (!BuildTree()) return false;
            ZV_AT findHasStart = findHasClose = findHasPair = findHasFirst = false;
            ZV_AT findWhitespace.Clear();
        }
        ZV_AT return true;
    }

    // The scanning pass: from scriptIndex up to the '>' that ends the next tag, skipping
    // comments and gathering the text outside tags. Stops at the end of the text if no tag ends.
    bool ScanToTagEnd() {
        ZV_FUNC("ConfigParser.ScanToTagEnd");
        ZV_AT for (int findIndex = scriptIndex; findIndex < length; ++findIndex) {
            ZV_BLOCK;
            ZV_LOCAL(findIndex);
            ZV_AT String::Char c = text[findIndex];
            ZV_AT if (c == '\n') {
                ZV_BLOCK;
                ZV_AT findLine += 1;
                ZV_AT findLineStart = findIndex + 1;
            }
            ZV_AT if (!findHasStart && !findHasComment) {
                ZV_BLOCK;
                ZV_AT if (c == '<' && findIndex < length - 4 && text[findIndex + 1] == '!' &&
                          text[findIndex + 2] == '-' && text[findIndex + 3] == '-') {
                    ZV_BLOCK;
                    ZV_AT findHasComment = true;
                    ZV_AT findIndex += 3;
                } else if (c == '<') {
                    ZV_BLOCK;
                    ZV_AT findHasClose = findIndex < length - 1 && text[findIndex + 1] == '/';
                    ZV_AT findTagStartSize = findHasClose ? 2 : 1;
                    ZV_AT findHasStart = true;
                    ZV_AT findTagStart = findIndex;
                    ZV_AT findTagLine = findLine;
                    ZV_AT findTagLineStart = findLineStart;
                    ZV_AT findTagColumn = findIndex - findLineStart + 1;
                } else {
                    ZV_BLOCK;
                    ZV_AT findWhitespace.Append(c);
                }
            } else if (findHasComment) {
                ZV_BLOCK;
                // At least one character must follow the closer.
                ZV_AT if (c == '-' && findIndex + 3 < length && text[findIndex + 1] == '-' &&
                          text[findIndex + 2] == '>') {
                    ZV_BLOCK;
                    ZV_AT findHasComment = false;
                    ZV_AT findIndex += 2;
                }
            } else if (findHasQuotes) {
                ZV_BLOCK;
                ZV_AT if (c == findQuote) findHasQuotes = false;
            } else if (IsQuote(c)) {
                ZV_BLOCK;
                ZV_AT findHasQuotes = true;
                ZV_AT findQuote = c;
            } else if (c == '<') {
                ZV_BLOCK;
                ZV_AT return FailAt(String("unexpected opening bracket"), findIndex);
            } else if (c == '>') {
                ZV_BLOCK;
                ZV_AT if (text[findIndex - 1] == '/') {
                    ZV_BLOCK;
                    ZV_AT findTagEndSize = 2;
                    ZV_AT findHasClose = true;
                    ZV_AT findTagEnd = findIndex - 1;
                } else {
                    ZV_BLOCK;
                    ZV_AT findHasPair = true;
                    ZV_AT findTagEndSize = 1;
                    ZV_AT findTagEnd = findIndex;
                }
                ZV_AT findHasEnd = true;
                ZV_AT return true;
            }
        }
        ZV_AT return true;
    }

    // A tag was found: the text before it goes to the innermost open element, and the tag becomes
    // a new node at the position of its '<'.
    void StartTag() {
        ZV_FUNC("ConfigParser.StartTag");
        ZV_AT ClearContentState();
        ZV_AT open.AppendText(findWhitespace);
        ZV_AT scriptIndex = findTagEnd + findTagEndSize;
        ZV_AT findTag = new c_ConfigNode();
        ZV_AT findTag->line = findTagLine;
        ZV_AT findTag->column = findTagColumn;
    }

    // The tag-content machine over text[start, end): the first completed name names the tag,
    // every later name starts an attribute.
    bool ReadTagContent(int start, int end) {
        ZV_FUNC("ConfigParser.ReadTagContent");
        ZV_LOCAL(start);
        ZV_LOCAL(end);
        ZV_AT for (int i = start; i < end; ++i) {
            ZV_BLOCK;
            ZV_LOCAL(i);
            ZV_AT Step step = ReadContentCharacter(text[i], i);
            ZV_AT if (step == Step::Failed) return false;
            // Read the same character again in the new state; the end-of-content test below
            // then meets it only on its second reading.
            ZV_AT if (step == Step::ReadAgain) i -= 1;
            ZV_AT if (!AfterContentCharacter(i, i == end - 1)) return false;
        }
        ZV_AT return true;
    }

    ContentState CurrentContentState() const {
        if (!findHasName) return ContentState::NoName;
        if (!findHasEquals) return ContentState::NameComplete;
        if (findHasQuotes) return ContentState::Quoted;
        if (findHasSegment) return ContentState::SegmentClosed;
        return ContentState::Value;
    }

    Step ReadContentCharacter(String::Char c, int i) {
        ZV_FUNC("ConfigParser.ReadContentCharacter");
        ZV_LOCAL(i);
        // Only spaces and newlines separate; tabs and carriage returns are illegal in a tag.
        bool separator = c == ' ' || c == '\n';
        ZV_LOCAL(separator);
        ZV_AT switch (CurrentContentState()) {
            case ContentState::NoName:
                ZV_AT if (separator) {
                    ZV_BLOCK;
                    ZV_AT if (!findName.IsEmpty()) findHasNameEnd = true;
                } else if (c == '=') {
                    ZV_BLOCK;
                    ZV_AT if (findName.IsEmpty()) return Fail(String("expecting tag or attribute name"), i);
                    ZV_AT findHasNameEnd = true;
                    ZV_AT return Step::ReadAgain;
                } else if (IsNameCharacter(c)) {
                    ZV_BLOCK;
                    ZV_AT findName.Append(c);
                } else {
                    ZV_BLOCK;
                    ZV_AT return Fail(IllegalCharacterMessage(c), i);
                }
                ZV_AT return Step::Next;

            case ContentState::NameComplete:
                ZV_AT if (separator) return Step::Next;
                ZV_AT if (c == '=') {
                    ZV_BLOCK;
                    ZV_AT findHasEquals = true;
                    ZV_AT return Step::Next;
                }
                // A name without '=' is dropped; this character starts the next one.
                ZV_AT if (IsNameCharacter(c)) {
                    ZV_BLOCK;
                    ZV_AT findHasEnd = true;
                    ZV_AT return Step::ReadAgain;
                }
                ZV_AT return Fail(IllegalCharacterMessage(c), i);

            case ContentState::Value:
                ZV_AT if (separator) {
                    ZV_BLOCK;
                    ZV_AT if (!findSegment.IsEmpty()) findHasSegment = findHasSegmentEnd = true;
                } else if (IsQuote(c)) {
                    ZV_BLOCK;
                    ZV_AT if (!findSegment.IsEmpty()) return Fail(String("unexpected opening quote"), i);
                    ZV_AT findHasQuotes = true;
                    ZV_AT findQuote = c;
                    ZV_AT findHasValue = true;
                } else if (c == '-' && findSegment.IsEmpty()) {
                    ZV_BLOCK;
                    // A sign, not an operator.
                    ZV_AT findSegment.Append(c);
                    ZV_AT findHasValue = true;
                } else if (c == '*' || c == '+' || c == '/' || c == '-') {
                    ZV_BLOCK;
                    ZV_AT if (!findHasValue) {
                        ZV_BLOCK;
                        ZV_AT return Fail(String("unexpected operator asc='") + String::FromInt(int(c)) +
                                              String("' chr='") + CharacterText(c) + String("'"),
                                          i);
                    }
                    ZV_AT findHasSegmentEnd = true;
                    ZV_AT findHasOperator = true;
                    ZV_AT findOperator = c;
                } else if (IsUnquotedValueCharacter(c)) {
                    ZV_BLOCK;
                    ZV_AT findSegment.Append(c);
                    ZV_AT findHasValue = true;
                } else {
                    ZV_BLOCK;
                    ZV_AT return Fail(IllegalCharacterMessage(c), i);
                }
                ZV_AT return Step::Next;

            case ContentState::SegmentClosed:
                ZV_AT if (separator) return Step::Next;
                // The next attribute may follow a closed value without a space.
                ZV_AT if (IsNameCharacter(c)) {
                    ZV_BLOCK;
                    ZV_AT findHasEnd = true;
                    ZV_AT findHasSegment = false;
                    ZV_AT return Step::ReadAgain;
                }
                ZV_AT if (c == '*' || c == '+' || c == '-' || c == '/') {
                    ZV_BLOCK;
                    ZV_AT findHasSegment = false;
                    ZV_AT findHasOperator = true;
                    ZV_AT findOperator = c;
                    ZV_AT return Step::Next;
                }
                ZV_AT return Fail(IllegalCharacterMessage(c), i);

            case ContentState::Quoted:
                ZV_AT if (c == findQuote) {
                    ZV_BLOCK;
                    ZV_AT findHasSegment = findHasSegmentEnd = true;
                    ZV_AT findHasQuotes = false;
                } else if (c != '\n') {
                    ZV_BLOCK;
                    ZV_AT findSegment.Append(c);
                }
                ZV_AT return Step::Next;
        }
        return Step::Next;
    }

    // The steps after each character of tag content, in order; `last` says it was the last.
    bool AfterContentCharacter(int i, bool last) {
        ZV_FUNC("ConfigParser.AfterContentCharacter");
        ZV_LOCAL(i);
        ZV_LOCAL(last);
        ZV_AT if (last) {
            ZV_BLOCK;
            ZV_AT findHasEnd = true;
            ZV_AT if (findHasQuotes) return FailAt(String("exepcting closing quote"), i);
            ZV_AT if (!findHasName && !findName.IsEmpty()) {
                ZV_BLOCK;
                ZV_AT findHasNameEnd = true;
            } else if (findHasEquals) {
                ZV_BLOCK;
                ZV_AT if (!findHasValue) return FailAt(String("expecting attribute value"), i);
                ZV_AT if (findHasOperator) return FailAt(String("unexcpected end of attribute"), i);
                ZV_AT if (!findSegment.IsEmpty()) findHasSegment = findHasSegmentEnd = true;
            }
        }
        ZV_AT if (findHasNameEnd && !findHasName) {
            ZV_BLOCK;
            ZV_AT if (!findHasFirst) {
                ZV_BLOCK;
                ZV_AT findTag->name = findName.ToString().ToLower();
                ZV_AT findHasFirst = true;
            }
            ZV_AT findHasName = true;
        }
        ZV_AT if (findHasName && findHasSegmentEnd) {
            ZV_BLOCK;
            ZV_AT AddToAttribute(findSegment.ToString());
            ZV_AT findHasSegmentEnd = false;
            ZV_AT findSegment.Clear();
        }
        ZV_AT if (findHasName && findHasOperator) {
            ZV_BLOCK;
            ZV_AT AddToAttribute(CharacterText(findOperator));
            ZV_AT findHasOperator = false;
        }
        ZV_AT if (findHasEnd) ClearContentState();
        ZV_AT return true;
    }

    // findName stays the same from the moment it is complete until the content state is cleared.
    void AddToAttribute(const String& segment) {
        if (findAttribute < 0) findAttribute = int(tagAttributes.Named(findName.ToString()));
        tagAttributes.AddSegment(size_t(findAttribute), segment);
    }

    void ClearContentState() {
        findAttribute = -1;
        findName.Clear();
        findSegment.Clear();
        findOperator = 0;
        findHasEnd = findHasName = findHasNameEnd = findHasEquals = findHasValue = false;
        findHasQuotes = findHasSegment = findHasSegmentEnd = findHasOperator = false;
    }

    // An opening tag waits on the stack and joins its parent when it closes, so siblings end up
    // in document order; a self-closing tag joins at once; a closing tag closes the innermost.
    bool BuildTree() {
        ZV_FUNC("ConfigParser.BuildTree");
        ZV_AT if (!findHasClose) {
            ZV_BLOCK;
            ZV_AT gc_store(findTag->parent, open.Innermost());
            ZV_AT open.Push(findTag);
            ZV_AT return true;
        }
        ZV_AT if (!findHasPair) {
            ZV_BLOCK;
            ZV_AT open.Innermost()->AddChild(findTag);
            ZV_AT return true;
        }
        // The document root has no parent to join: closing it is an error, not a pop.
        ZV_AT if (open.Count() == 1 && findTag->name == config->name) {
            ZV_BLOCK;
            ZV_AT return FailAtTag(String("unexpected closing tag '") + findTag->name + String("'"));
        }
        ZV_AT c_ConfigNode* popped = open.Pop();
        ZV_LOCAL(popped);
        ZV_AT if (popped->name != findTag->name) {
            ZV_BLOCK;
            ZV_AT return FailAtTag(String("open tag name '") + popped->name +
                                   String("' doesn't match closing tag name '") + findTag->name + String("'"));
        }
        ZV_AT popped->parent->AddChild(popped);
        ZV_AT return true;
    }

    // Failures. A character's column is its index minus the index after the newline before it,
    // plus one; the end of the text has the column of its last character (0 after a newline).

    bool FailAt(String message, int index) {
        int line = findTagLine;
        int lineStart = findTagLineStart;
        for (int k = findTagStart; k < index; ++k) {
            if (text[k] == '\n') {
                line += 1;
                lineStart = k + 1;
            }
        }
        return Fail(message, line, index - lineStart + 1);
    }

    Step Fail(String message, int index) {
        FailAt(message, index);
        return Step::Failed;
    }

    bool FailAtEnd(String message) { return Fail(message, findLine, length - findLineStart); }

    bool FailAtTag(String message) { return Fail(message, findTag->line, findTag->column); }

    bool Fail(String message, int line, int column) {
        ZV_AT config->SetError(message, line, column, String());
        return false;
    }

    c_Config* config;
    String script;
    const String::Char* text;
    int length;
    OpenElements open;

    // The scanner.
    int scriptIndex = 0;
    int findLine = 1;
    int findLineStart = 0;
    bool findHasStart = false;
    bool findHasComment = false;
    bool findHasClose = false;
    bool findHasPair = false;
    bool findHasFirst = false;
    int findTagStart = 0;
    int findTagStartSize = 0;
    int findTagEnd = 0;
    int findTagEndSize = 0;
    int findTagLine = 0;
    int findTagLineStart = 0;
    int findTagColumn = 0;
    TextBuffer findWhitespace;  // the pending text

    // The tag content (findHasEnd and the quote state are shared with the scanner).
    c_ConfigNode* findTag = nullptr;
    TagAttributes tagAttributes;
    int findAttribute = -1;  // the entry of tagAttributes that findName names, once looked up
    TextBuffer findName;
    TextBuffer findSegment;
    String::Char findOperator = 0;
    String::Char findQuote = 0;
    bool findHasEnd = false;
    bool findHasName = false;
    bool findHasNameEnd = false;
    bool findHasEquals = false;
    bool findHasValue = false;
    bool findHasQuotes = false;
    bool findHasSegment = false;
    bool findHasSegmentEnd = false;
    bool findHasOperator = false;
};

}  // namespace

// ---- ConfigAttribute ----

void c_ConfigAttribute::mark_children() {
    Object::mark_children();
    gc_grey(segments.Storage());
}

String c_ConfigAttribute::debug_dump() {
    String t = dbg_dump_header("ConfigAttribute");
    dbg_dump_field(t, "name", name);
    dbg_dump_field(t, "value", value);
    dbg_dump_field(t, "segments", segments);
    return t;
}

c_ConfigAttribute::c_ConfigAttribute() {
    ZV_FUNC("ConfigAttribute.new");
    ZV_SELF;
}

c_ConfigAttribute::c_ConfigAttribute(String name, String value) {
    ZV_FUNC("ConfigAttribute.new");
    ZV_SELF;
    ZV_LOCAL(name);
    ZV_LOCAL(value);
    ZV_AT SetName(name.ToLower());
    ZV_AT SetValue(value);
}

int c_ConfigAttribute::SetName(String name) {
    ZV_FUNC("ConfigAttribute.SetName");
    ZV_SELF;
    ZV_LOCAL(name);
    ZV_AT this->name = name;
    ZV_AT return 0;
}

int c_ConfigAttribute::SetValue(String value) {
    ZV_FUNC("ConfigAttribute.SetValue");
    ZV_SELF;
    ZV_LOCAL(value);
    ZV_AT gc_store_array(segments, Array<String>{value});
    ZV_AT UpdateValue();
    ZV_AT return 0;
}

int c_ConfigAttribute::AddSegment(String segment) {
    ZV_FUNC("ConfigAttribute.AddSegment");
    ZV_SELF;
    ZV_LOCAL(segment);
    ZV_AT gc_store_array(segments, segments.Resize(segments.Length() + 1));
    ZV_AT segments[segments.Length() - 1] = segment;
    ZV_AT UpdateValue();
    ZV_AT return 0;
}

int c_ConfigAttribute::UpdateValue() {
    ZV_FUNC("ConfigAttribute.UpdateValue");
    ZV_SELF;
    ZV_AT if (segments.Length() == 0) {
        ZV_BLOCK;
        ZV_AT value = String();
    } else if (segments.Length() == 1) {
        ZV_BLOCK;
        ZV_AT value = segments[0];
    } else {
        ZV_BLOCK;
        ZV_AT value = String().Join(segments);
    }
    ZV_AT return 0;
}

// ---- ConfigNode ----

void c_ConfigNode::mark_children() {
    Object::mark_children();
    gc_grey(parent);
    gc_grey(attributes);
    gc_grey(children);
}

String c_ConfigNode::debug_dump() {
    String t = dbg_dump_header("ConfigNode");
    dbg_dump_field(t, "name", name);
    dbg_dump_field(t, "value", value);
    dbg_dump_field(t, "parent", parent);
    dbg_dump_field(t, "attributes", attributes);
    dbg_dump_field(t, "children", children);
    dbg_dump_field(t, "line", line);
    dbg_dump_field(t, "column", column);
    return t;
}

c_ConfigNode::c_ConfigNode() {
    ZV_FUNC("ConfigNode.new");
    ZV_SELF;
}

c_ConfigNode::c_ConfigNode(String name) {
    ZV_FUNC("ConfigNode.new");
    ZV_SELF;
    ZV_LOCAL(name);
    ZV_AT this->name = name;
}

c_ConfigAttribute* c_ConfigNode::GetConfigAttribute(String name) {
    ZV_FUNC("ConfigNode.GetConfigAttribute");
    ZV_SELF;
    ZV_LOCAL(name);
    ZV_AT if (!attributes) return nullptr;
    ZV_AT name = name.ToLower();
    ZV_AT c_Enumerator<c_ConfigAttribute*>* each = attributes->ObjectEnumerator();
    ZV_LOCAL(each);
    ZV_AT while (each->HasNext()) {
        ZV_BLOCK;
        ZV_AT c_ConfigAttribute* attribute = each->NextObject();
        ZV_LOCAL(attribute);
        ZV_AT if (attribute->name == name) return attribute;
    }
    ZV_AT return nullptr;
}

String c_ConfigNode::GetAttribute(String name, String defaultValue) {
    ZV_FUNC("ConfigNode.GetAttribute");
    ZV_SELF;
    ZV_LOCAL(name);
    ZV_LOCAL(defaultValue);
    ZV_AT c_ConfigAttribute* attribute = GetConfigAttribute(name);
    ZV_LOCAL(attribute);
    ZV_AT return attribute ? attribute->value : defaultValue;
}

int c_ConfigNode::SetAttribute(String name, String value) {
    ZV_FUNC("ConfigNode.SetAttribute");
    ZV_SELF;
    ZV_LOCAL(name);
    ZV_LOCAL(value);
    ZV_AT if (!attributes) gc_store(attributes, new c_List<c_ConfigAttribute*>());
    ZV_AT c_ConfigAttribute* attribute = GetConfigAttribute(name);
    ZV_LOCAL(attribute);
    ZV_AT if (attribute) {
        ZV_BLOCK;
        ZV_AT attribute->SetValue(value);
    } else {
        ZV_BLOCK;
        ZV_AT attributes->AddLast(new c_ConfigAttribute(name, value));
    }
    ZV_AT return 0;
}

int c_ConfigNode::AddChild(c_ConfigNode* childNode) {
    ZV_FUNC("ConfigNode.AddChild");
    ZV_SELF;
    ZV_LOCAL(childNode);
    ZV_AT gc_store(childNode->parent, this);
    ZV_AT if (!children) gc_store(children, new c_List<c_ConfigNode*>());
    ZV_AT children->AddLast(childNode);
    ZV_AT return 0;
}

c_List<c_ConfigNode*>* c_ConfigNode::FindNodesByPath(String path) {
    ZV_FUNC("ConfigNode.FindNodesByPath");
    ZV_SELF;
    ZV_LOCAL(path);
    ZV_AT if (path.IsEmpty()) {
        ZV_BLOCK;
        ZV_AT c_List<c_ConfigNode*>* self = new c_List<c_ConfigNode*>();
        ZV_LOCAL(self);
        ZV_AT self->AddLast(this);
        ZV_AT return self;
    }
    ZV_AT if (!children) return nullptr;
    ZV_AT Array<String> parts = path.ToLower().Split(String("/"));
    ZV_LOCAL(parts);
    ZV_AT c_List<c_ConfigNode*>* nodes = new c_List<c_ConfigNode*>();
    ZV_LOCAL(nodes);
    ZV_AT nodes->AddLast(this);
    ZV_AT for (int p = 0; p < parts.Length(); ++p) {
        ZV_BLOCK;
        ZV_LOCAL(p);
        ZV_AT String part = parts[p];
        ZV_LOCAL(part);
        ZV_AT if (part.IsEmpty()) return nullptr;
        ZV_AT c_List<c_ConfigNode*>* found = new c_List<c_ConfigNode*>();
        ZV_LOCAL(found);
        ZV_AT c_Enumerator<c_ConfigNode*>* eachNode = nodes->ObjectEnumerator();
        ZV_LOCAL(eachNode);
        ZV_AT while (eachNode->HasNext()) {
            ZV_BLOCK;
            ZV_AT c_ConfigNode* node = eachNode->NextObject();
            ZV_LOCAL(node);
            ZV_AT if (!node->children) continue;
            ZV_AT c_Enumerator<c_ConfigNode*>* eachChild = node->children->ObjectEnumerator();
            ZV_LOCAL(eachChild);
            ZV_AT while (eachChild->HasNext()) {
                ZV_BLOCK;
                ZV_AT c_ConfigNode* child = eachChild->NextObject();
                ZV_LOCAL(child);
                ZV_AT if (child->name == part) found->AddLast(child);
            }
        }
        ZV_AT nodes = found;
    }
    ZV_AT if (nodes->IsEmpty()) return nullptr;
    ZV_AT return nodes;
}

// ---- ConfigError ----

String c_ConfigError::debug_dump() {
    String t = dbg_dump_header("ConfigError");
    dbg_dump_field(t, "message", message);
    dbg_dump_field(t, "context", context);
    dbg_dump_field(t, "line", line);
    dbg_dump_field(t, "column", column);
    dbg_dump_field(t, "data", data);
    return t;
}

c_ConfigError::c_ConfigError(String message, String context, String data, int line, int column) {
    ZV_FUNC("ConfigError.new");
    ZV_SELF;
    ZV_LOCAL(message);
    ZV_LOCAL(context);
    ZV_LOCAL(data);
    ZV_LOCAL(line);
    ZV_LOCAL(column);
    ZV_AT this->message = message;
    ZV_AT this->context = context;
    ZV_AT this->data = data;
    ZV_AT this->line = line;
    ZV_AT this->column = column;
}

// ---- Config ----

void c_Config::mark_children() {
    c_ConfigNode::mark_children();
    gc_grey(error);
}

String c_Config::debug_dump() {
    String t = dbg_dump_header("Config") + c_ConfigNode::debug_dump();
    dbg_dump_field(t, "path", path);
    dbg_dump_field(t, "script", script);
    dbg_dump_field(t, "error", error);
    return t;
}

c_Config::c_Config() {
    ZV_FUNC("Config.new");
    ZV_SELF;
}

bool c_Config::Parse(String scriptRaw) {
    ZV_FUNC("Config.Parse");
    ZV_SELF;
    ZV_LOCAL(scriptRaw);
    ZV_AT name = String("root");
    ZV_AT script = scriptRaw.Replace(String("\r\n"), String("\n"));
    ZV_AT return ConfigParser(this).Run();
}

int c_Config::SetError(String message, int line, int column, String data) {
    ZV_FUNC("Config.SetError");
    ZV_SELF;
    ZV_LOCAL(message);
    ZV_LOCAL(line);
    ZV_LOCAL(column);
    ZV_LOCAL(data);
    ZV_AT gc_store(error, new c_ConfigError(message, path, data, line, column));
    // The list objects stay; only their contents go.
    ZV_AT if (attributes) attributes->Clear();
    ZV_AT if (children) children->Clear();
    ZV_AT return 0;
}

c_Config* LoadConfig(String script) {
    ZV_FUNC("LoadConfig");
    ZV_LOCAL(script);
    ZV_AT c_Config* config = new c_Config();
    ZV_LOCAL(config);
    ZV_AT config->path = String();
    ZV_AT config->Parse(script);
    ZV_AT return config;
}
