// The shared library's exported symbol set.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <string>

// Exactly the functions the header declares: the 46 card operations, each with the calling
// convention's macro, and the hook's setter.
TEST(SharedLibrary, ExportsExactlyTheFunctionsOfItsHeader) {
    std::ifstream header(DQX7460_HEADER);
    ASSERT_TRUE(header.good());
    const std::regex declaration(R"(^\w+\s+(DQX7460_CALL\s+)?\**\s*((DQX7460|dqx7460)_\w+)\()");
    std::set<std::string> declared;
    std::set<std::string> operations;
    std::set<std::string> withConvention;
    std::smatch match;
    for (std::string line; std::getline(header, line);) {
        if (!std::regex_search(line, match, declaration)) continue;
        declared.insert(match[2]);
        if (match[3] == "DQX7460") operations.insert(match[2]);
        if (match[1].matched) withConvention.insert(match[2]);
    }
    EXPECT_EQ(declared.size(), 47u);
    EXPECT_EQ(operations.size(), 46u);
    EXPECT_EQ(withConvention, operations);

    std::FILE* pipe = popen("nm -D --defined-only " DQX7460_SHARED_LIBRARY, "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> exported;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n") + 1);
        exported.insert(text.substr(text.find_last_of(' ') + 1));
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(exported, declared);
}
