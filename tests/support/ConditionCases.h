// A row of a condition table test: id, parameter, relation, value and the expected answer.
#pragma once

#include "ExecCond.h"

#include <gtest/gtest.h>

namespace zktest {

struct ConditionCase {
    int id;
    zk::Text p;
    const char* r;
    const char* v;
    bool result;
};

template <size_t N> void ExpectConditions(const ConditionCase (&cases)[N]) {
    for (const ConditionCase& c : cases)
        EXPECT_EQ(zk::TestCondition(c.id, c.p, c.r, c.v), c.result)
            << c.id << " " << c.p << " " << c.r << " " << c.v;
}

} // namespace zktest
