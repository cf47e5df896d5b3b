// Config: the markup reader of the font descriptions. It turns nested tags with attributes (the
// shape of XML, without its declaration and entities) into a tree of ConfigNodes with lower-cased
// names, attribute values built from segments, text content, and the line and column of every
// tag and error.
//
// Parsing never raises: a failure is recorded in Config.error (message, line, column) and the
// root is left without attributes or children. Callers check `error` after LoadConfig.
#pragma once

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/std/list.h"

class c_ConfigAttribute : public Object {
public:
    static constexpr const char* debug_name = "ConfigAttribute";

    String name;
    String value;  // always the segments joined
    Array<String> segments;

    void mark_children() override;
    String debug_dump() override;

    c_ConfigAttribute();
    // The name is lower-cased.
    c_ConfigAttribute(String name, String value);

    int SetName(String name);
    int SetValue(String value);
    int AddSegment(String segment);
    int UpdateValue();
};

class c_ConfigNode : public Object {
public:
    static constexpr const char* debug_name = "ConfigNode";

    String name;
    String value;  // the text read while this was the innermost open element
    c_ConfigNode* parent = nullptr;
    c_List<c_ConfigAttribute*>* attributes = nullptr;  // made by the first SetAttribute
    c_List<c_ConfigNode*>* children = nullptr;         // made by the first AddChild
    int line = 0;    // of the opening '<', from 1
    int column = 0;

    void mark_children() override;
    String debug_dump() override;

    c_ConfigNode();
    explicit c_ConfigNode(String name);

    // Null when there is none; the name is compared lower-cased.
    c_ConfigAttribute* GetConfigAttribute(String name);
    String GetAttribute(String name, String defaultValue);
    int SetAttribute(String name, String value);
    int AddChild(c_ConfigNode* childNode);
    // The nodes reached by following the slash-separated, case-insensitive path through the
    // children, in document order; null when there are none. The empty path gives this node.
    c_List<c_ConfigNode*>* FindNodesByPath(String path);
};

class c_ConfigError : public Object {
public:
    static constexpr const char* debug_name = "ConfigError";

    String message;
    String context;  // the config's path
    int line = 0;
    int column = 0;
    String data;

    String debug_dump() override;

    c_ConfigError(String message, String context, String data, int line, int column);
};

class c_Config : public c_ConfigNode {
public:
    static constexpr const char* debug_name = "Config";

    String path;
    String script;  // the parsed text, "\r\n" already turned into "\n"
    c_ConfigError* error = nullptr;

    void mark_children() override;
    String debug_dump() override;

    c_Config();

    // True on success; on failure `error` says what and where.
    bool Parse(String scriptRaw);
    int SetError(String message, int line, int column, String data);
};

// A new Config parsed from `script`, whether or not parsing succeeded.
c_Config* LoadConfig(String script);
