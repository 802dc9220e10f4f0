// SPDX-License-Identifier: MIT
// Control values and the status text set from other threads while the GUI
// thread idles and draws, as parameter changes from a host's audio thread
// do. Run under ThreadSanitizer for the race check; everywhere it checks
// that no text is ever seen torn and that the last change is always drawn.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "gui/shared_text.h"
#include "gui/slider.h"
#include "gui/text_field.h"
#include "gui_test_support.h"

namespace velora::gui::test {
namespace {

// Texts of one repeated letter, so that a mix of two shows.
std::string textFor(int round) { return std::string(1 + round % 200, static_cast<char>('a' + round % 26)); }

bool isUniform(const char* text) {
    for (const char* p = text; *p; ++p)
        if (*p != text[0]) return false;
    return true;
}

class GuiThreads : public GuiTest, public ::testing::Test {};

TEST_F(GuiThreads, ValuesAndTextsFromOtherThreadsAreDrawnWholeAndNoneIsLost) {
    auto track = load(kTrackId);
    auto handle = load(kHandleId);
    auto* slider = add(new Slider({8, 34, 31, 116}, &listener, 8, 36, 103, handle, track, {4, 0},
                                  Slider::kVertical | Slider::kBottom));
    auto* field = add(new TextField({318, 393, 368, 403}, &listener, 103, "", nullptr, ValueDisplay::kInset3D));
    showWindow();

    constexpr int kRounds = 20000;
    std::atomic<int> running{2};
    auto writer = [&](int first) {
        for (int round = first; round < kRounds; round += 2) {
            slider->setValue(static_cast<float>(round % 100) / 100.0f);
            field->setText(textFor(round).c_str());
        }
        running.fetch_sub(1);
    };
    std::thread even(writer, 0), odd(writer, 1);
    bool whole = true;
    while (running.load() > 0) {
        frame->idle();
        char seen[ValueDisplay::kTextCapacity];
        field->getText(seen);
        whole = whole && isUniform(seen);
    }
    even.join();
    odd.join();
    EXPECT_TRUE(whole);

    // The writers' last changes are drawn by the next idle.
    frame->idle();
    EXPECT_FALSE(slider->isDirty());
    EXPECT_FALSE(field->isDirty());
    const std::string last = field->text();
    EXPECT_TRUE(last == textFor(kRounds - 1) || last == textFor(kRounds - 2)) << last;
}

TEST(SharedTextHandOver, CutsLongTextsAndKeepsTheNewestOfSequentialWrites) {
    SharedText text;
    SharedText::Buffer out;
    ASSERT_TRUE(text.load(out));
    EXPECT_STREQ(out, "");
    for (int i = 0; i < 50; ++i) {
        text.store(textFor(i));
        ASSERT_TRUE(text.load(out));
        EXPECT_EQ(std::string(out), textFor(i));
    }
    text.store(std::string(1000, 'z'));
    ASSERT_TRUE(text.load(out));
    EXPECT_EQ(std::string(out), std::string(255, 'z'));
}

}  // namespace
}  // namespace velora::gui::test
