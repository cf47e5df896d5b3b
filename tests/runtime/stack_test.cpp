#include "runtime/std/stack.h"

#include <vector>

#include <gtest/gtest.h>

#include "tests/runtime/container_items.h"

namespace {

class StackTest : public ::testing::Test {
protected:
    void SetUp() override { reset_runtime(); }
};

std::vector<c_Item*> contents(const Array<c_Item*>& array) {
    return std::vector<c_Item*>(array.Data(), array.Data() + array.Length());
}

TEST_F(StackTest, GrowsTenThirtySeventyAndKeepsPushOrder) {
    auto* stack = new c_Stack<c_Item*>();
    EXPECT_EQ(stack->ToArray().Length(), 0);
    EXPECT_EQ(stack->data.Length(), 0);

    std::vector<c_Item*> pushed;
    std::vector<int> capacities;
    for (int i = 0; i < 71; ++i) {
        pushed.push_back(new c_Item(i, i));
        EXPECT_EQ(stack->Push(pushed.back()), 0);
        if (capacities.empty() || capacities.back() != stack->data.Length()) capacities.push_back(stack->data.Length());
    }
    EXPECT_EQ(capacities, (std::vector<int>{10, 30, 70, 150}));
    EXPECT_EQ(stack->length, 71);
    Array<c_Item*> array = stack->ToArray();
    EXPECT_EQ(contents(array), pushed);
    EXPECT_FALSE(array.SharesStorageWith(stack->data));
    EXPECT_EQ(stack->debug_dump().Slice(0, 19), String("(Stack)\ndata:Item[]"));
    EXPECT_TRUE(stack->debug_dump().EndsWith(String("\nlength:Int=71\n")));
}

TEST_F(StackTest, StartsFromACopyAndPushesRanges) {
    std::vector<c_Item*> items;
    for (int i = 0; i < 5; ++i) items.push_back(new c_Item(i, i));
    Array<c_Item*> source{items[0], items[1], items[2]};
    auto* stack = new c_Stack<c_Item*>(source);
    source.Set(0, items[4]);  // the stack holds a copy
    EXPECT_EQ(stack->length, 3);
    EXPECT_EQ(contents(stack->ToArray()), (std::vector<c_Item*>{items[0], items[1], items[2]}));

    Array<c_Item*> more{items[3], items[4], items[0]};
    stack->Push(more, 1);
    stack->Push(more, 0, 1);
    stack->Push(more, 2, 0);
    EXPECT_EQ(contents(stack->ToArray()),
              (std::vector<c_Item*>{items[0], items[1], items[2], items[4], items[0], items[3]}));
    stack->Push(more, 3);  // an offset at the end pushes nothing
    EXPECT_EQ(stack->length, 6);
}

}  // namespace
