// FixDataPath: which paths are already virtual or file paths, and which are data-folder names.
#include <gtest/gtest.h>

#include "framework/data.h"

namespace {

TEST(FixDataPath, KeepsSchemesAndFilePathsAndPutsNamesInTheDataFolder) {
    for (const char* kept : {"zorvex://data/x.png", "zorvex://internal/save", "C:/x", "http://host/a", "./x.png",
                             "/tmp/x.png", "/"}) {
        EXPECT_EQ(FixDataPath(String(kept)), String(kept)) << kept;
    }
    // The first "/" must follow the colon directly.
    EXPECT_EQ(FixDataPath(String("a/b:/c")), String("zorvex://data/a/b:/c"));
    EXPECT_EQ(FixDataPath(String("font.txt")), String("zorvex://data/font.txt"));
    EXPECT_EQ(FixDataPath(String("c:x")), String("zorvex://data/c:x"));
    EXPECT_EQ(FixDataPath(String(".x")), String("zorvex://data/.x"));
    EXPECT_EQ(FixDataPath(String("")), String("zorvex://data/"));
    EXPECT_EQ(FixDataPath(String(U"\u00e9t\u00e9.png")), String(U"zorvex://data/\u00e9t\u00e9.png"));
}

}  // namespace
