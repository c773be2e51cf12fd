// Names table-driven test rows after their `name` field.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace qs::test {

struct RowName {
    template <class Row> std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

} // namespace qs::test
