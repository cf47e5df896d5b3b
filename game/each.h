// Visiting every object of a class list: the loop every UpdateAll and RenderAll runs.
#pragma once

#include "runtime/debug.h"
#include "runtime/std/list.h"

// Calls `method` on each object of `list` in order. The object being visited may remove itself
// from the list; the walk goes on with the next one.
template <class T>
void CallEach(c_List<T*>* list, int (T::*method)()) {
    ZV_HELPER;
    c_Enumerator<T*>* each = list->ObjectEnumerator();
    ZV_LOCAL(each);
    while (each->HasNext()) {
        ZV_BLOCK;
        T* object = each->NextObject();
        ZV_LOCAL(object);
        (object->*method)();
    }
}
