// The file name that a Save run proposes, made from the disc's volume label.
#include <gtest/gtest.h>

#include <string>

#include "ProposedFileName.h"

namespace {

std::wstring Proposed(std::wstring label) {
    label.push_back(L'\0');
    MakeProposedFileName(&label[0]);
    return label.c_str();
}

TEST(ProposedFileName, ALabelThatIsAFileNameStaysAsItIs) {
    EXPECT_EQ(L"PHOTOS_2010", Proposed(L"PHOTOS_2010"));
    EXPECT_EQ(L"Отпуск 2009 v1.0", Proposed(L"Отпуск 2009 v1.0"));
    EXPECT_EQ(L"", Proposed(L""));
}

TEST(ProposedFileName, EachCharacterThatNoFileNameHoldsBecomesAnUnderscore) {
    EXPECT_EQ(L"a_b_c_d_e_f_g_h_i_j", Proposed(L"a<b>c:d\"e/f\\g|h?i*j"));
    EXPECT_EQ(L"tab_nl_cr_x_", Proposed(L"tab\tnl\ncr\rx\x1F"));
    EXPECT_EQ(L"__", Proposed(L"::"));
}

TEST(ProposedFileName, TrailingDotsAndBlanksGoAndNothingMayBeLeft) {
    EXPECT_EQ(L"disc", Proposed(L"disc. . .."));
    EXPECT_EQ(L" .disc", Proposed(L" .disc "));
    EXPECT_EQ(L"", Proposed(L" . "));
    EXPECT_EQ(L"a_", Proposed(L"a?."));
}

}  // namespace
