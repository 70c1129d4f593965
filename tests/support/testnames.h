#pragma once

#include <cctype>
#include <string>

namespace zr5::test {

// Turns a case's description into a test name that CTest can list ("bad length" -> bad_length).
inline std::string CaseName(const char* description) {
    std::string name;
    for (const char* p = description; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name.empty() ? std::string("case") : name;
}

// For INSTANTIATE_TEST_SUITE_P with cases that have a `name` field.
struct ByName {
    template <class Info> std::string operator()(const Info& info) const {
        return CaseName(info.param.name);
    }
};

} // namespace zr5::test
