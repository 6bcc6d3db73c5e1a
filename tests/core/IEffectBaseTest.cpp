#include "tests/support/RecordingEditor.h"
#include "tests/support/TestPlugin.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

using Edit = ITestBinding::EditEvent;
using Kind = ITestBinding::EditKind;

TEST(IEffectBase, ParsesChannelConfigurations)
{
    TestPlugin plug(1, "1-1 2-2");
    ASSERT_EQ(plug.ChannelConfigs().size(), 2u);
    EXPECT_EQ(plug.NInChannels(), 2);
    EXPECT_EQ(plug.NOutChannels(), 2);
    EXPECT_TRUE(plug.IsLegalIO(1, -1));
    EXPECT_TRUE(plug.IsLegalIO(2, 2));
    EXPECT_TRUE(plug.IsLegalIO(-1, -1));
    EXPECT_FALSE(plug.IsLegalIO(1, 2));

    TestPlugin odd(1, "2-3 junk 1-1");
    ASSERT_EQ(odd.ChannelConfigs().size(), 3u);
    EXPECT_EQ(odd.ChannelConfigs()[1].inputs, 0) << "a pair that cannot be read counts as 0-0";
    EXPECT_EQ(odd.NOutChannels(), 3);
    EXPECT_TRUE(odd.IsLegalIO(0, 0));

    TestPlugin none(1, "");
    EXPECT_EQ(none.NInChannels(), 0);
    EXPECT_EQ(none.NOutChannels(), 0);
}

TEST(IEffectBase, IdentityTexts)
{
    TestPlugin plug;
    char text[16];
    plug.VersionText(text);
    EXPECT_STREQ(text, "v3.20");
    EXPECT_EQ(plug.VersionNumber(true), 32000);
    EXPECT_EQ(plug.VersionNumber(false), 0x31400);
    EXPECT_EQ(plug.HostKind(), -1);
    plug.SetHostInfo("Ardour 7", 0x070300);
    EXPECT_EQ(plug.HostKind(), 27);
    EXPECT_EQ(plug.HostVersion(), 0x070300);

    const std::string longName(300, 'a');
    ITestBinding named(ITestBinding::InstanceInfo{}, 1, "1-1", 1, longName.c_str(), longName.c_str(),
                       longName.c_str(), 0, 0, 0, 0, 0, false, false);
    EXPECT_EQ(std::string(named.EffectName()).size(), 127u);
    EXPECT_EQ(std::string(named.MakerName()).size(), 127u);
}

TEST(IEffectBase, BusLabelsReplaceOrAppend)
{
    TestPlugin plug;
    plug.SetInputBusLabel(0, "Main In");
    plug.SetInputBusLabel(5, "ignored");
    plug.SetInputBusLabel(0, "Stereo In");
    plug.SetOutputBusLabel(3, "appended");
    plug.SetOutputBusLabel(-1, "ignored");
    ASSERT_EQ(plug.InputBusLabels().size(), 1u);
    EXPECT_EQ(plug.InputBusLabels()[0], "Stereo In");
    ASSERT_EQ(plug.OutputBusLabels().size(), 1u);
    EXPECT_EQ(plug.OutputBusLabels()[0], "appended");
}

TEST(IEffectBase, ParameterPathsReachHostAndPlugin)
{
    TestPlugin plug;
    plug.GetParam(0)->InitReal("Gain", 0, -18, 18, 0.1, "dB");
    plug.SetParamFromGui(0, 0.75);
    EXPECT_EQ(plug.GetParam(0)->value, 9.0);
    EXPECT_EQ(plug.edits, (std::vector<Edit>{{Kind::Edited, 0, 0.75}}));
    EXPECT_EQ(plug.changed, (std::vector<int32_t>{0}));

    plug.SetParamFromHost(0, 0.25);
    EXPECT_EQ(plug.GetParam(0)->value, -9.0);
    EXPECT_EQ(plug.edits.size(), 1u) << "host changes are not echoed to the host";
    EXPECT_EQ(plug.changed.size(), 2u);

    plug.SetParamFromGui(7, 0.5);
    plug.SetParamFromHost(-1, 0.5);
    EXPECT_EQ(plug.changed.size(), 2u) << "indices outside the list are ignored";
    EXPECT_EQ(plug.GetParam(3), nullptr);

    EXPECT_EQ(plug.NotifyAllParams(), 3);
    EXPECT_EQ(plug.changed, (std::vector<int32_t>{0, 0, 0, 1, 2}));
}

TEST(IEffectBase, WheelGestureEndsAtOnceWithoutEditor)
{
    TestPlugin plug;
    plug.BeginParamEdit(1);
    plug.DeferEndParamEdit(1);
    EXPECT_EQ(plug.edits, (std::vector<Edit>{{Kind::Begin, 1, 0}, {Kind::End, 1, 0}}));
    plug.FlushEndParamEdit();
    EXPECT_EQ(plug.edits.size(), 2u) << "nothing is pending, nothing more is sent";
}

// A host whose edits find out whether another thread (its audio thread) could take the plug-in lock.
class LockProbePlugin : public TestPlugin
{
public:
    void BeginParamEdit(int32_t index) override { Note(index); }
    void ParamEdited(int32_t index, double) override { Note(index); }
    void EndParamEdit(int32_t index) override { Note(index); }
    void Note(int32_t index)
    {
        bool free = false;
        std::thread audio(
            [&]
            {
                free = Lock().TryLock();
                if (free) Lock().Unlock();
            });
        audio.join();
        calls.push_back({index, free});
    }
    std::vector<std::pair<int32_t, bool>> calls; // parameter, lock free
};

TEST(IEffectBase, TheHostHearsEditsAndGestureEndsWithoutThePluginLock)
{
    // A host that takes its own lock inside an edit while its audio thread waits on ours would
    // deadlock if we held ours.
    LockProbePlugin plug;
    plug.SetParamFromGui(0, 0.5);
    plug.DeferEndParamEdit(1); // no editor: the end goes at once
    auto* gui = new RecordingEditor;
    plug.AttachEditor(gui);
    plug.DeferEndParamEdit(2);
    plug.FlushEndParamEdit();
    EXPECT_EQ(plug.calls, (std::vector<std::pair<int32_t, bool>>{{0, true}, {1, true}, {2, true}}));
}

TEST(IEffectBase, WheelGestureEndIsDeferredWithEditor)
{
    TestPlugin plug;
    auto* gui = new RecordingEditor;
    gui->frameRate = 24;
    plug.AttachEditor(gui);
    plug.DeferEndParamEdit(2);
    EXPECT_TRUE(plug.edits.empty());
    EXPECT_EQ(gui->countdown, (std::vector<int32_t>{12}));
    plug.DeferEndParamEdit(2);
    plug.FlushEndParamEdit();
    EXPECT_EQ(plug.edits, (std::vector<Edit>{{Kind::End, 2, 0}})) << "one end for the whole gesture";
    EXPECT_EQ(gui->cancels, 1);
    plug.FlushEndParamEdit();
    EXPECT_EQ(plug.edits.size(), 1u);

    gui->frameRate = 1;
    plug.DeferEndParamEdit(0);
    EXPECT_EQ(gui->countdown.back(), 1) << "the countdown is at least one tick";
}

TEST(IEffectBase, GestureEndsForUnknownParametersAreIgnored)
{
    TestPlugin bare;
    bare.DeferEndParamEdit(3);
    bare.DeferEndParamEdit(-1);
    EXPECT_TRUE(bare.edits.empty());

    TestPlugin plug;
    auto* gui = new RecordingEditor;
    plug.AttachEditor(gui);
    plug.DeferEndParamEdit(1);
    plug.DeferEndParamEdit(7);
    EXPECT_EQ(plug.PendingEndEdit(), 1) << "a bad index must not replace the pending end";
    EXPECT_EQ(gui->countdown.size(), 1u);
}

namespace
{
// Closes its window on destruction, which flushes a pending wheel-gesture end, as a real editor does.
class FlushingEditor : public RecordingEditor
{
public:
    FlushingEditor(IEffectBase& p, int32_t* pendingAtClose) : plugin(p), pending(pendingAtClose) {}
    ~FlushingEditor() override
    {
        *pending = plugin.PendingEndEdit();
        plugin.FlushEndParamEdit();
    }
    IEffectBase& plugin;
    int32_t* pending;
};
} // namespace

TEST(IEffectBase, DestroyingWithAPendingGestureEndIsSafe)
{
    int32_t pendingAtClose = 99;
    auto plug = std::make_unique<TestPlugin>();
    plug->AttachEditor(new FlushingEditor(*plug, &pendingAtClose));
    plug->DeferEndParamEdit(0);
    ASSERT_EQ(plug->PendingEndEdit(), 0);
    plug.reset(); // the binding part is gone when the base destroys the editor
    EXPECT_EQ(pendingAtClose, -1) << "no gesture end may be sent through a destroyed binding";
}

TEST(IEffectBase, AttachEditorPushesNormalisedValuesAndIsOwned)
{
    bool destroyed = false;
    {
        TestPlugin plug(2);
        plug.GetParam(0)->InitReal("Gain", 9, -18, 18, 0.1, "dB");
        plug.GetParam(1)->InitInteger("Link", 70, 0, 100, "%");
        plug.AttachEditor(nullptr);
        EXPECT_EQ(plug.GetGUI(), nullptr);

        auto* gui = new RecordingEditor(&destroyed);
        plug.AttachEditor(gui);
        EXPECT_EQ(plug.GetGUI(), gui);
        EXPECT_EQ(gui->backBufferPrepared, 1);
        ASSERT_EQ(gui->pushes.size(), 2u);
        EXPECT_DOUBLE_EQ(gui->pushes[0].value, 0.75);
        EXPECT_TRUE(gui->pushes[0].normalized);

        gui->pushes.clear();
        plug.PushParamsToGui();
        ASSERT_EQ(gui->pushes.size(), 2u);
        EXPECT_EQ(gui->pushes[1].value, 70.0);
        EXPECT_FALSE(gui->pushes[1].normalized) << "state loads push real values";

        gui->pushes.clear();
        plug.SetParamFromHost(1, 0.5);
        ASSERT_EQ(gui->pushes.size(), 1u);
        EXPECT_TRUE(gui->pushes[0].normalized);
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed) << "the base destroys the editor it owns";
}

TEST(IEffectBase, LockIsReentrantAndSerialisesThreads)
{
    TestPlugin plug;
    plug.Lock().Lock();
    plug.ResetState(); // default body takes the lock again on the same thread
    std::thread other([&] { plug.NotifyAllParams(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(plug.changed.empty()) << "another thread waits while the lock is held";
    plug.Lock().Unlock();
    other.join();
    EXPECT_EQ(plug.changed.size(), 3u);
}

TEST(IEffectBase, DefaultVirtualBodies)
{
    TestPlugin plug;
    char name[8] = "x";
    EXPECT_FALSE(plug.MidiNoteName(60, name));
    EXPECT_STREQ(name, "");
    EXPECT_TRUE(plug.ParamInPreset(0, 0));
    EXPECT_FALSE(plug.IsProcessingReady());
    EXPECT_EQ(plug.Latency(), 0);
    EXPECT_EQ(plug.TailLength(), 0);
    EXPECT_EQ(plug.SampleRate(), 44100.0);
    EXPECT_EQ(plug.BlockSize(), 0);
}
