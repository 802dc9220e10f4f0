// SPDX-License-Identifier: MIT
// A parameter set on another thread (host automation, MIDI on the audio
// thread) while the GUI thread idles, draws, closes and reopens: free of
// data races under ThreadSanitizer, and shown at the next idle.
#include <atomic>
#include <thread>

#include "editor_fixture.h"

namespace velora::test {
namespace {

TEST_F(EditorTest, ChangesFromAnotherThreadShowAtTheNextIdle) {
    openEditor();
    std::atomic<bool> done{false};
    std::thread automation([&] {
        Random random{7};
        for (int i = 0; i < 2000; ++i) {
            effect->setParameter(8, random.unit());
            effect->setParameter(10, random.unit());
        }
        done.store(true);
    });
    // The GUI thread idles, and now and then closes and reopens the window
    // under the changes.
    for (int round = 0; !done.load(); ++round) {
        idle();
        if (round % 50 == 49) {
            dispatch(vst::effEditClose);
            openEditor();
        }
    }
    automation.join();
    std::thread([&] { effect->setParameter(8, 0.25f); }).join();
    idle();
    EXPECT_EQ(controlOf(8).getValue(), 0.25f);
    EXPECT_EQ(controlOf(10).getValue(), effect->getParameter(10));
    EXPECT_EQ(status(), display(8));
}

}  // namespace
}  // namespace velora::test
