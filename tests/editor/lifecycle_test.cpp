// SPDX-License-Identifier: MIT
// Opening, closing and destroying in every order, and the host's bad input:
// no crash, no leak, every bitmap given back once.
#include <new>

#include "core/param_id.h"
#include "editor_fixture.h"

namespace velora::test {
namespace {

TEST_F(EditorTest, HostRequestsWithoutAWindowAreHarmless) {
    EXPECT_EQ(dispatch(vst::effEditClose), 0);
    EXPECT_EQ(dispatch(vst::effEditIdle), 0);
    EXPECT_EQ(dispatch(vst::effEditKeyDown, 'a', gui::kKeyUp, nullptr, 0.0f), -1);
    EXPECT_EQ(dispatch(vst::effEditKeyUp, 'a', gui::kKeyUp, nullptr, NAN), -1);
    EXPECT_EQ(dispatch(vst::effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(dispatch(vst::effEditOpen, 0, 0, nullptr), 0);  // no parent window
    EXPECT_FALSE(editor().isOpen());
    effect->setParameter(kParamToneWaveMix, 0.5f);  // nothing to show it on
    EXPECT_FALSE(editor().updatePending());
    EXPECT_EQ(platform.liveImages(), 0);
}

TEST_F(EditorTest, OpeningTwiceKeepsOneWindowAndCloseGivesEverythingBack) {
    openEditor();
    openEditor();
    EXPECT_EQ(platform.windowClassRegistrations(), 1);
    EXPECT_EQ(editor().frame()->viewCount(), 56);
    EXPECT_GT(platform.liveImages(), 0);
    dispatch(vst::effEditClose);
    dispatch(vst::effEditClose);
    EXPECT_EQ(platform.windowClassRegistrations(), 0);
    EXPECT_EQ(platform.liveImages(), 0);
}

TEST_F(EditorTest, DestroyingTheInstanceWithTheWindowOpenReleasesEverything) {
    openEditor();
    effect.reset();
    EXPECT_EQ(platform.windowClassRegistrations(), 0);
    EXPECT_EQ(platform.liveImages(), 0);
}

TEST_F(EditorTest, WindowDestroyedBySystemStopsDrawing) {
    openEditor();
    platform.lastWindow()->destroyBySystem();
    effect->setParameter(kParamToneWaveMix, 0.25f);
    idle();
    EXPECT_FALSE(editor().frame()->isOpen());
}

TEST_F(EditorTest, HostClosingDuringItsIdleCallWaitsForTheHeldControl) {
    openEditor();
    // The host closes the window from inside the idle call a held button makes.
    struct Closer {
        static vst::VstIntPtr host(vst::AEffect* e, vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value,
                                   void* ptr, float opt) {
            if (opcode == vst::audioMasterIdle) e->dispatcher(e, vst::effEditClose, 0, 0, nullptr, 0.0f);
            return recordingHost(e, opcode, index, value, ptr, opt);
        }
    };
    gui::HeadlessPlatform other;
    gui::addModuleBitmaps(other);
    {
        SynthEffect instance(&Closer::host);
        instance.getEditor()->usePlatform(&other);
        ASSERT_EQ(instance.dispatcher(vst::effEditOpen, 0, 0, &parent, 0.0f), 1);
        other.lastWindow()->exposeAll();
        const gui::Point up = centre(instance.getEditor()->control(52)->rect());
        other.scriptDrag({{up, gui::kLeftButton}, {up, gui::kLeftButton}});
        other.advanceClock(1000);
        other.lastWindow()->press(up, gui::kLeftButton);
        EXPECT_TRUE(instance.getEditor()->isOpen());  // the button's loop has ended only now
        instance.dispatcher(vst::effEditIdle, 0, 0, nullptr, 0.0f);
        EXPECT_FALSE(instance.getEditor()->isOpen());
    }
    EXPECT_EQ(other.liveImages(), 0);
}

// Memory running out while the window is built: open answers 0 and nothing
// of the half-built window stays.
TEST_F(EditorTest, FailedAllocationWhileBuildingLeavesNothingBehind) {
    struct FailingPlatform : gui::HeadlessPlatform {
        int failAt = 0;
        std::unique_ptr<gui::PlatformImage> loadBitmap(int id) override {
            if (id == failAt) throw std::bad_alloc();
            return HeadlessPlatform::loadBitmap(id);
        }
    };
    FailingPlatform failing;
    gui::addModuleBitmaps(failing);
    editor().usePlatform(&failing);
    for (int id : {10002, 10020, 10040}) {  // a shared bitmap, tracks of earlier and later rows
        failing.failAt = id;
        EXPECT_EQ(dispatch(vst::effEditOpen, 0, 0, &parent), 0) << id;
        EXPECT_FALSE(editor().isOpen());
        EXPECT_EQ(failing.liveImages(), 0);
        EXPECT_EQ(failing.windowClassRegistrations(), 0);
    }
    failing.failAt = 0;
    EXPECT_EQ(dispatch(vst::effEditOpen, 0, 0, &parent), 1);
    dispatch(vst::effEditClose);
}

class MissingBitmapTest : public EditorTest, public ::testing::WithParamInterface<int> {
protected:
    MissingBitmapTest() : EditorTest(GetParam()) {}
};

TEST_P(MissingBitmapTest, EditorStillOpensAtItsSize) {
    openEditor();
    EXPECT_EQ(editor().frame()->rect(), (gui::Rect{0, 0, 384, 410}));
    EXPECT_EQ(editor().frame()->viewCount(), 56);
    effect->setParameter(kParamToneWaveMix, 0.5f);
    idle();
    dispatch(vst::effEditClose);
    EXPECT_EQ(platform.liveImages(), 0);
}

INSTANTIATE_TEST_SUITE_P(Each, MissingBitmapTest, ::testing::Values(10001, 10002, 10003, 10030, 10031, 10038));

}  // namespace
}  // namespace velora::test
