#pragma once
// gtest lists a parameterised test with its parameter printed beside it: a table row prints as
// its name (or its description), never as raw bytes.
#include <ostream>

template <typename Row> auto operator<<(std::ostream& out, const Row& row) -> decltype(out << row.name)
{
    return out << row.name;
}

template <typename Row> auto operator<<(std::ostream& out, const Row& row) -> decltype(out << row.what)
{
    return out << row.what;
}
