// Arrays: construction, resizing, slicing, String elements and the bounds check.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include "runtime/array.h"
#include "runtime/object.h"
#include "tests/support/test_program.h"

namespace {

// In a death test's child: no debugger on standard input, and the report on standard error.
void route_report_to_stderr() {
    std::freopen("/dev/null", "r", stdin);
    dup2(2, 1);
}

#define EXPECT_RUNTIME_ERROR(statement, message)                                              \
    EXPECT_EXIT(                                                                              \
        {                                                                                     \
            route_report_to_stderr();                                                         \
            statement;                                                                        \
        },                                                                                    \
        ::testing::ExitedWithCode(255), "Zorvex Runtime Error : " message)

class ArrayTest : public ::testing::Test {
protected:
    void SetUp() override { reset_runtime(); }
};

TEST_F(ArrayTest, EmptyArraysShareStaticStorage) {
    Array<int> never_assigned;
    EXPECT_EQ(never_assigned.Length(), 0);
    EXPECT_TRUE(Array<int>(0).SharesStorageWith(never_assigned));
    EXPECT_TRUE(Array<int>(-5).SharesStorageWith(never_assigned));
    Array<int> two{1, 2};
    EXPECT_TRUE(two.Resize(0).SharesStorageWith(never_assigned));
    EXPECT_TRUE(two.Resize(-5).SharesStorageWith(never_assigned));
    EXPECT_TRUE(two.Slice(2, 1).SharesStorageWith(never_assigned));
    EXPECT_EQ(never_assigned.Storage()->colour(), 3);
    EXPECT_EQ(gc.live_bytes, 40) << "only the non-empty array was allocated";
}

TEST_F(ArrayTest, ResizeAndSliceCopy) {
    Array<int> numbers{1, 2, 3, 4, 5};
    Array<int> longer = numbers.Resize(7);
    ASSERT_EQ(longer.Length(), 7);
    EXPECT_EQ(longer[4], 5);
    EXPECT_EQ(longer[5], 0);
    EXPECT_EQ(numbers.Length(), 5) << "Resize leaves the original alone";
    EXPECT_EQ(numbers.Resize(2)[1], 2);

    Array<int> copy = numbers.Slice(0, numbers.Length());
    EXPECT_FALSE(copy.SharesStorageWith(numbers));
    copy[0] = 9;
    EXPECT_EQ(numbers[0], 1);
    EXPECT_EQ(numbers.Slice(-2).Length(), 2);
    EXPECT_EQ(numbers.Slice(-2)[0], 4);
    EXPECT_EQ(numbers.Slice(1, -1).Length(), 3);
    EXPECT_EQ(numbers.Slice(3, 100).Length(), 2);

    Array<bool> flags(3);
    EXPECT_FALSE(flags[2]);
    Array<float> floats(2);
    EXPECT_EQ(floats[1], 0.0f);
}

TEST_F(ArrayTest, StringElementsHoldReferences) {
    Array<String> names(3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(names[i].IsEmpty());

    String name("skier");
    names[1] = name;
    EXPECT_EQ(name.RefCount(), 2);
    Array<String> grown = names.Resize(5);
    EXPECT_EQ(name.RefCount(), 3);
    EXPECT_TRUE(grown[4].IsEmpty());

    // Destroying the storage releases its Strings.
    names = Array<String>();
    grown = Array<String>();
    gc_full_collection();
    for (int i = 0; i < 4; ++i) new Object();  // allocations destroy the garbage
    EXPECT_EQ(name.RefCount(), 1);
}

TEST_F(ArrayTest, DebugView) {
    Array<int> numbers{1, -2};
    auto& type = dbg_var_type_t<Array<int>>::info;
    EXPECT_EQ(type.type_name(), String("Int[]"));
    EXPECT_EQ(type.value_text(&numbers), String("[1,-2]"));
    Array<String> words{String("a\"b")};
    EXPECT_EQ(dbg_var_type_t<Array<String>>::info.value_text(&words), String("[\"a~qb\"]"));
    Array<Object*> objects(1);
    EXPECT_EQ(dbg_var_type_t<Array<Object*>>::info.value_text(&objects), String("[@0]"));
    EXPECT_EQ(dbg_var_type_t<Array<Object*>>::info.type_name(), String("Object[]"));
}

TEST_F(ArrayTest, OutOfRangeIndexIsARuntimeError) {
    Array<int> never_assigned;
    EXPECT_RUNTIME_ERROR(never_assigned[0], "Array index out of range");
    Array<int> three(3);
    EXPECT_RUNTIME_ERROR(three[-1], "Array index out of range");
    EXPECT_RUNTIME_ERROR(three[3] = 1, "Array index out of range");
    Array<Object*> objects(1);
    EXPECT_RUNTIME_ERROR(objects.Set(1, nullptr), "Array index out of range");
    EXPECT_RUNTIME_ERROR(String("abc").CharAt(3), "String index out of range");
}

}  // namespace
