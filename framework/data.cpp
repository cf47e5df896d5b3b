#include "framework/data.h"

#include "runtime/debug.h"

String FixDataPath(String path) {
    ZV_FUNC("FixDataPath");
    ZV_LOCAL(path);
    ZV_AT int i = path.Find(String(":/"));
    ZV_LOCAL(i);
    ZV_AT if (i != -1 && path.Find(String("/")) == i + 1) return path;
    ZV_AT if (path.StartsWith(String("./")) || path.StartsWith(String("/"))) return path;
    ZV_AT return String("zorvex://data/") + path;
}
