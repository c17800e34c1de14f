// The texts of the code built without Qt: the source without a translator, the translator's
// text with one, and the placeholders filled in the translated text's own order.
#include "common/ui_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string Reversed(const char* context, const char* source) {
    // A translation that puts the second argument first, as another language may.
    if (std::strcmp(context, "Test") == 0 && std::strcmp(source, "%1 达到 %2") == 0)
        return "%2 reached by %1";
    return source;
}

}  // namespace

TEST(UiText, SourceWithoutTranslatorTranslationWithIt) {
    EXPECT_EQ(ui::translate("Test", "%1 达到 %2"), "%1 达到 %2");
    ui::SetTranslator(&Reversed);
    EXPECT_EQ(ui::translate("Test", "%1 达到 %2"), "%2 reached by %1");
    EXPECT_EQ(ui::translate("Other", "%1 达到 %2"), "%1 达到 %2");
    ui::SetTranslator(nullptr);
    EXPECT_EQ(ui::translate("Test", "%1 达到 %2"), "%1 达到 %2");
}

TEST(UiText, FillTakesEachPlaceholderOnceInTheTextsOrder) {
    EXPECT_EQ(ui::Fill("%2 reached by %1", {"force", "35"}), "35 reached by force");
    // A number used twice, as "the limit %2 ... below %2".
    EXPECT_EQ(ui::Fill("at most %1, enter below %1", {"49"}), "at most 49, enter below 49");
    // An argument's own "%1" (a path, a test name) stays as it is.
    EXPECT_EQ(ui::Fill("saved: %1 (%2)", {"/tmp/%1%2", "x"}), "saved: /tmp/%1%2 (x)");
    // A placeholder without its argument, and a lone "%", are left alone.
    EXPECT_EQ(ui::Fill("%1 and %3, 100%", {"a", "b"}), "a and %3, 100%");
    EXPECT_EQ(ui::Fill("ends in %", {}), "ends in %");
}
