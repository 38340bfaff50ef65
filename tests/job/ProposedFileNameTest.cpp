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

TEST(ProposedFileName, ForbiddenCharactersBecomeUnderscoresAndTrailingDotsAndBlanksGo) {
    EXPECT_EQ(L"Отпуск 2009 v1.0", Proposed(L"Отпуск 2009 v1.0"));
    EXPECT_EQ(L"a_b_c_d_e_f_g_h_i_j", Proposed(L"a<b>c:d\"e/f\\g|h?i*j"));
    EXPECT_EQ(L"tab_x_", Proposed(L"tab\tx\x1F"));
    EXPECT_EQ(L" .disc_", Proposed(L" .disc?. . .."));
    EXPECT_EQ(L"", Proposed(L" . ")) << "nothing left: nothing proposed";
}

}  // namespace
