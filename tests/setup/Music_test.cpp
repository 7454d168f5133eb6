#include "Music.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

using namespace zk;

namespace {

// MCI as the player sees it: the position reaches the length at once (a short piece) or
// never (Wine without a sound device); any call can be made to fail.
class FakeDevice : public MusicDevice {
  public:
    bool ends = true;
    DWORD openError = 0, playError = 0;
    std::atomic<int> opens{0}, plays{0}, closes{0};
    std::atomic<bool> lastMidi{false};

    DWORD Open(const Text&, bool midi, UINT& device) override {
        ++opens;
        lastMidi = midi;
        device = 7;
        return openError;
    }
    DWORD PlayFromStart(UINT device) override {
        EXPECT_EQ(device, 7u);
        ++plays;
        return playError;
    }
    DWORD Length(UINT, DWORD& length) override { return length = 1000, 0; }
    DWORD Position(UINT, DWORD& position) override { return position = ends ? 1000 : 0, 0; }
    DWORD SeekToStart(UINT) override { return 0; }
    void Close(UINT) override { ++closes; }
    Text ErrorText(DWORD code) override { return "error " + std::to_string(code); }
};

struct Write {
    bool midi;
    int volume;
    bool deviceClosed = false; // written after the device's close
    bool operator==(const Write&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Write& w) {
    return out << (w.midi ? "midi " : "wave ") << w.volume << (w.deviceClosed ? " closed" : "");
}

class FakeMixer : public MusicMixer {
  public:
    explicit FakeMixer(const FakeDevice* device = nullptr) : device_(device) {}
    int wave = 0, synth = 0;
    std::vector<Write> writes;
    int Volume(bool midi) override { return midi ? synth : wave; }
    void SetVolume(bool midi, int volume) override {
        writes.push_back({midi, volume, device_ && device_->closes > 0});
        (midi ? synth : wave) = volume;
    }

  private:
    const FakeDevice* device_;
};

struct Fixture {
    FakeDevice device;
    FakeMixer mixer{&device};
    std::vector<DWORD> pauses;
    std::vector<Text> traces;
    std::atomic<int> traced{0}; // the player's thread writes the traces: awaited by this count
    TMusic music{device, mixer, [this](DWORD ms) { pauses.push_back(ms); },
                 [this](const Text& line) {
                     traces.push_back(line);
                     ++traced;
                 }};
};

bool WaitUntil(const std::function<bool()>& done, DWORD ms = 3000) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(10);
    }
    return true;
}

DWORD TimeOf(const std::function<void()>& work) {
    DWORD start = GetTickCount();
    work();
    return GetTickCount() - start;
}

} // namespace

TEST(Music, MidiFilesByExtensionInAnyCase) {
    struct Case {
        const char* file;
        bool midi;
    } cases[] = {
        {"song.mid", true},       {"SONG.MID", true},
        {"c:\\x\\a.Midi", true},  {"a.MIDI", true},
        {"a.wav", false},         {"a.midx", false},
        {"mid", false},           {"a.mid.wav", false},
        {"dir.mid\\song", false}, {"C:\\music\\b.mId", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsMidiFile(c.file), c.midi) << c.file;
        Fixture f;
        f.music.PlayMusic(c.file, 1);
        ASSERT_TRUE(WaitUntil([&] { return f.device.opens == 1; })) << c.file;
        EXPECT_EQ(f.device.lastMidi, c.midi) << c.file;
        f.music.StopMusic(0);
    }
}

TEST(Music, RepeatsPlayThenThePlayerEnds) {
    Fixture f;
    f.music.PlayMusic("a.wav", 3);
    ASSERT_TRUE(WaitUntil([&] { return f.device.closes == 1; }));
    EXPECT_EQ(f.device.plays, 3);
    EXPECT_FALSE(f.music.IsPlaying());
    f.music.StopMusic(0);
    EXPECT_EQ(f.device.plays, 3);
}

TEST(Music, RepeatZeroPlaysUntilStopped) {
    Fixture f;
    f.music.PlayMusic("a.wav", 0);
    // Each round pauses 100 ms: a second holds several of them, and it still plays.
    ASSERT_TRUE(WaitUntil([&] { return f.device.plays >= 5; }));
    EXPECT_TRUE(f.music.IsPlaying());
    EXPECT_EQ(f.device.closes, 0);
    DWORD took = TimeOf([&] { f.music.StopMusic(0); });
    EXPECT_LT(took, 500u);
    EXPECT_EQ(f.device.closes, 1);
    EXPECT_FALSE(f.music.IsPlaying());
}

TEST(Music, StopEndsAPlayerThatNeverReachesTheEndWithin500Ms) {
    Fixture f;
    f.device.ends = false; // Wine without a sound device: the position stays 0
    f.music.PlayMusic("a.mid", 0);
    ASSERT_TRUE(WaitUntil([&] { return f.music.IsPlaying() && f.device.plays == 1; }));
    Sleep(700); // inside the 500 ms position poll
    DWORD took = TimeOf([&] { f.music.StopMusic(0); });
    EXPECT_LT(took, 500u);
    EXPECT_EQ(f.device.plays, 1);
    EXPECT_EQ(f.device.closes, 1);
    EXPECT_EQ(f.pauses, std::vector<DWORD>{200}) << "only the start's stop without a player";
}

TEST(Music, ErrorsLeaveThePlayerIdleAndGoToTheTrace) {
    struct Case {
        const char* what;
        DWORD openError, playError;
        int plays, closes;
    } cases[] = {
        {"the file cannot be opened", 275, 0, 0, 0},
        {"the device cannot play", 0, 263, 1, 1},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.device.openError = c.openError;
        f.device.playError = c.playError;
        f.music.PlayMusic("a.wav", 0);
        ASSERT_TRUE(WaitUntil([&] { return f.traced > 0; })) << c.what;
        Sleep(400); // several idle rounds, none traced again
        EXPECT_EQ(f.music.GetMusicVolume(), 0) << c.what;
        DWORD took = TimeOf([&] { f.music.StopMusic(0); });
        EXPECT_LT(took, 500u) << c.what;
        EXPECT_EQ(f.device.plays, c.plays) << c.what;
        EXPECT_EQ(f.device.closes, c.closes) << c.what;
        DWORD code = c.openError + c.playError;
        ASSERT_EQ(f.traces.size(), 1u) << c.what << ": traced once, not every idle round";
        EXPECT_NE(f.traces[0].find("error " + std::to_string(code)), Text::npos) << f.traces[0];
        EXPECT_EQ(f.music.LastError(), "error " + std::to_string(code)) << c.what;
        EXPECT_TRUE(f.mixer.writes.empty()) << c.what;
    }
}

TEST(Music, VolumeOnlyWhileADeviceIsOpen) {
    Fixture f;
    f.mixer.wave = 30000;
    f.mixer.synth = 20000;
    EXPECT_EQ(f.music.GetMusicVolume(), 0);
    f.music.SetMusicVolume(5);
    EXPECT_TRUE(f.mixer.writes.empty());

    f.device.ends = false;
    f.music.PlayMusic("a.MID", 0);
    ASSERT_TRUE(WaitUntil([&] { return f.music.IsPlaying(); }));
    EXPECT_EQ(f.music.GetMusicVolume(), 20000) << "MIDI: the synthesizer line";
    f.music.SetMusicVolume(1234);
    EXPECT_EQ(f.mixer.writes, (std::vector<Write>{{true, 1234}}));
    f.music.StopMusic(0);
    EXPECT_EQ(f.music.GetMusicVolume(), 0);
}

TEST(Music, FadeStepsDownToZeroThenTheEndingPlayerRestoresTheVolume) {
    struct Case {
        const char* file;
        int volume, fadeMs;
        std::vector<int> steps;
    } cases[] = {
        {"a.wav", 65530, 500, {58977, 52424, 45871, 39318, 32765, 26212, 19659, 13106, 6553, 0}},
        {"a.wav", 65535, 500, {58982, 52429, 45876, 39323, 32770, 26217, 19664, 13111, 6558, 5, 0}},
        {"a.mid", 5, 500, {4, 3, 2, 1, 0}}, // below the step count: steps of 1
        {"a.wav", 100, 20, {0}},            // under one tick: one step
        {"a.wav", 0, 500, {}},              // nothing to fade, nothing saved
    };
    for (const Case& c : cases) {
        Fixture f;
        bool midi = IsMidiFile(c.file);
        (midi ? f.mixer.synth : f.mixer.wave) = c.volume;
        f.device.ends = false;
        f.music.PlayMusic(c.file, 0);
        ASSERT_TRUE(WaitUntil([&] { return f.music.IsPlaying(); }));
        f.pauses.clear(); // the start's own stop without a player
        f.music.StopMusic(c.fadeMs);
        std::vector<Write> expected;
        for (int v : c.steps) expected.push_back({midi, v});
        // Put back as the player ends, once the device is closed and silent.
        if (c.volume > 0) expected.push_back({midi, c.volume, true});
        EXPECT_EQ(f.mixer.writes, expected) << c.volume << " over " << c.fadeMs;
        EXPECT_EQ(f.pauses, std::vector<DWORD>(c.steps.size(), 50)) << c.volume;
        // Nothing saved is left: a later restore writes nothing.
        size_t writes = f.mixer.writes.size();
        f.music.RestoreMusicVolume();
        EXPECT_EQ(f.mixer.writes.size(), writes);
    }
}

TEST(Music, StopWithoutAPlayerIsOnePause) {
    Fixture f;
    f.music.StopMusic(500);
    EXPECT_EQ(f.pauses, std::vector<DWORD>{200});
    EXPECT_TRUE(f.mixer.writes.empty());
}

TEST(Music, PlayEndsThePreviousPlayerFirst) {
    Fixture f;
    f.device.ends = false;
    f.music.PlayMusic("a.wav", 0);
    ASSERT_TRUE(WaitUntil([&] { return f.music.IsPlaying(); }));
    f.music.PlayMusic("b.mid", 0);
    EXPECT_EQ(f.device.closes, 1);
    ASSERT_TRUE(WaitUntil([&] { return f.device.opens == 2; }));
    EXPECT_TRUE(f.device.lastMidi);
    f.music.StopMusic(0);
    EXPECT_EQ(f.device.closes, 2);
}

TEST(Music, MciErrorTexts) {
    EXPECT_FALSE(GetMciErrorText(263).empty()); // MCIERR_INVALID_DEVICE_NAME
    EXPECT_NE(GetMciErrorText(263), "Undefined error code");
    EXPECT_EQ(GetMciErrorText(0xFFFF), "Undefined error code");
}

namespace {
// A device whose close can hang: the stop must not wait for it longer than its bound.
class HangingDevice : public FakeDevice {
  public:
    std::atomic<bool> hang{true};
    void Close(UINT device) override {
        FakeDevice::Close(device);
        if (hang) Sleep(3000);
    }
};
} // namespace

TEST(Music, StopWaitsForAHangingPlayerAboutTwoSecondsAtMost) {
    // Static: the abandoned player still runs in the device after the test.
    static HangingDevice device;
    static FakeMixer mixer;
    static std::vector<Text> traces;
    static TMusic music(
        device, mixer, [](DWORD) {}, [](const Text& line) { traces.push_back(line); });
    device.ends = false;
    music.PlayMusic("a.wav", 0);
    ASSERT_TRUE(WaitUntil([&] { return music.IsPlaying(); }));
    DWORD took = TimeOf([&] { music.StopMusic(0); });
    EXPECT_GE(took, 1900u);
    EXPECT_LT(took, 2600u);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_NE(traces[0].find("did not stop"), Text::npos) << traces[0];
    // A new start is not held up by the old player.
    device.hang = false;
    took = TimeOf([&] { music.PlayMusic("b.wav", 0); });
    EXPECT_LT(took, 500u);
    ASSERT_TRUE(WaitUntil([&] { return device.opens == 2; }));
    music.StopMusic(0);
    EXPECT_EQ(device.closes, 2);
}
