#include "Music.h"
#include "Handles.h"
#include "SysLibs.h"
#include "U_DEBUG0.h"

#include <mmsystem.h>

#include <mutex>
#include <utility>

namespace zk {

namespace {

constexpr int RepeatForever = 2147483646;
constexpr DWORD PositionPollMs = 500, RepeatPauseMs = 100, FadeStepMs = 50;
constexpr DWORD PlayerStopBoundMs = 2000, NoPlayerPauseMs = 200;
constexpr DWORD MixerVolumeControl = MIXERCONTROL_CONTROLTYPE_VOLUME;
constexpr DWORD WaveOutLine = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;         // 0x1008
constexpr DWORD SynthesizerLine = MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER; // 0x1004

class MciDevice : public MusicDevice {
  public:
    DWORD Open(const Text& file, bool midi, UINT& device) override {
        MCI_OPEN_PARMSA open{};
        open.lpstrDeviceType = reinterpret_cast<LPCSTR>(
            static_cast<UINT_PTR>(midi ? MCI_DEVTYPE_SEQUENCER : MCI_DEVTYPE_WAVEFORM_AUDIO));
        open.lpstrElementName = file.c_str();
        DWORD err = static_cast<DWORD>(
            sys::mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT,
                                 reinterpret_cast<DWORD_PTR>(&open)));
        device = err ? 0 : open.wDeviceID;
        return err;
    }
    DWORD PlayFromStart(UINT device) override {
        MCI_PLAY_PARMS play{};
        play.dwFrom = 0;
        return static_cast<DWORD>(
            sys::mciSendCommandA(device, MCI_PLAY, MCI_FROM, reinterpret_cast<DWORD_PTR>(&play)));
    }
    DWORD Length(UINT device, DWORD& length) override {
        return Status(device, MCI_STATUS_LENGTH, length);
    }
    DWORD Position(UINT device, DWORD& position) override {
        return Status(device, MCI_STATUS_POSITION, position);
    }
    DWORD SeekToStart(UINT device) override {
        MCI_SEEK_PARMS seek{};
        return static_cast<DWORD>(sys::mciSendCommandA(
            device, MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&seek)));
    }
    void Close(UINT device) override {
        MCI_GENERIC_PARMS close{};
        // Paused first, the wave device drops its queued buffers at the close instead of
        // playing the current one out.
        sys::mciSendCommandA(device, MCI_PAUSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
        sys::mciSendCommandA(device, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
    }
    Text ErrorText(DWORD code) override { return GetMciErrorText(code); }

  private:
    static DWORD Status(UINT device, DWORD item, DWORD& value) {
        MCI_STATUS_PARMS status{};
        status.dwItem = item;
        DWORD err = static_cast<DWORD>(sys::mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM,
                                                            reinterpret_cast<DWORD_PTR>(&status)));
        value = err ? 0 : static_cast<DWORD>(status.dwReturn);
        return err;
    }
};

// Mixer device 0, opened at first use and kept; each line's control looked up once. Both
// threads reach it (the ending player puts the saved volume back), hence the lock.
class SystemMixer : public MusicMixer {
  public:
    SystemMixer() { InitializeCriticalSection(&lock_); }
    ~SystemMixer() override {
        if (mixer_) sys::mixerClose(mixer_);
        DeleteCriticalSection(&lock_);
    }
    int Volume(bool midi) override {
        Locked guard(lock_);
        DWORD control = Control(midi);
        if (!control) return 0;
        MIXERCONTROLDETAILS_UNSIGNED value{}; // a stub driver may leave it unwritten
        MIXERCONTROLDETAILS details = Details(control, value);
        if (sys::mixerGetControlDetailsA(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                         MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
            return 0;
        return static_cast<int>(value.dwValue & 0xFFFF);
    }
    void SetVolume(bool midi, int volume) override {
        Locked guard(lock_);
        DWORD control = Control(midi);
        if (!control) return;
        MIXERCONTROLDETAILS_UNSIGNED value{static_cast<DWORD>(volume < 0 ? 0 : volume & 0xFFFF)};
        MIXERCONTROLDETAILS details = Details(control, value);
        sys::mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                    MIXER_SETCONTROLDETAILSF_VALUE);
    }

  private:
    struct Locked {
        explicit Locked(CRITICAL_SECTION& c) : c_(c) { EnterCriticalSection(&c_); }
        ~Locked() { LeaveCriticalSection(&c_); }
        CRITICAL_SECTION& c_;
    };
    static MIXERCONTROLDETAILS Details(DWORD control, MIXERCONTROLDETAILS_UNSIGNED& value) {
        MIXERCONTROLDETAILS d{};
        d.cbStruct = sizeof d;
        d.dwControlID = control;
        d.cChannels = 1; // one value for all channels
        d.cbDetails = sizeof value;
        d.paDetails = &value;
        return d;
    }
    DWORD Control(bool midi) {
        Kind& kind = midi ? synthesizer_ : waveOut_;
        if (!kind.looked) {
            kind.looked = true;
            Text failure;
            kind.control = Lookup(midi ? SynthesizerLine : WaveOutLine, failure);
            if (!failure.empty()) TraceLine(">" + failure + "<");
        }
        return kind.control;
    }
    DWORD Lookup(DWORD sourceType, Text& failure) {
        if (!opened_) {
            opened_ = true;
            if (sys::mixerOpen(&mixer_, 0, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR)
                mixer_ = nullptr;
        }
        if (!mixer_) return failure = "Can't open Mixer", 0;
        auto object = reinterpret_cast<HMIXEROBJ>(mixer_);
        MIXERLINEA speakers{};
        speakers.cbStruct = sizeof speakers;
        speakers.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
        if (sys::mixerGetLineInfoA(object, &speakers, MIXER_GETLINEINFOF_COMPONENTTYPE) !=
            MMSYSERR_NOERROR)
            return failure = "Can't find speaker line", 0;
        MIXERLINEA source{};
        bool found = false;
        for (DWORD i = 0; i < speakers.cConnections && !found; ++i) {
            source = {};
            source.cbStruct = sizeof source;
            source.dwDestination = speakers.dwDestination;
            source.dwSource = i;
            if (sys::mixerGetLineInfoA(object, &source, MIXER_GETLINEINFOF_SOURCE) !=
                MMSYSERR_NOERROR)
                return failure = "Can't get source line", 0;
            found = source.dwComponentType == sourceType;
        }
        if (!found) return failure = "Can't find wave out device", 0;
        MIXERCONTROLA control{};
        MIXERLINECONTROLSA controls{};
        controls.cbStruct = sizeof controls;
        controls.dwLineID = source.dwLineID;
        controls.dwControlType = MixerVolumeControl;
        controls.cControls = 1;
        controls.cbmxctrl = sizeof control;
        controls.pamxctrl = &control;
        if (sys::mixerGetLineControlsA(object, &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
            MMSYSERR_NOERROR)
            return failure = "Can't find control", 0;
        return control.dwControlID;
    }

    struct Kind {
        bool looked = false;
        DWORD control = 0;
    };
    CRITICAL_SECTION lock_;
    HMIXER mixer_ = nullptr;
    bool opened_ = false;
    Kind waveOut_, synthesizer_;
};

} // namespace

bool IsMidiFile(const Text& file) {
    size_t dot = LastCharOf(file, ".\\/:");
    if (dot == Text::npos || file[dot] != '.') return false;
    Text ext = UpperCase(file.substr(dot));
    return ext == ".MID" || ext == ".MIDI";
}

Text GetMciErrorText(DWORD code) {
    char text[256] = {};
    if (!sys::mciGetErrorStringA(code, text, sizeof text) || !text[0])
        return "Undefined error code";
    return text;
}

MusicDevice& SystemMusicDevice() {
    static MciDevice device;
    return device;
}

MusicMixer& SystemMusicMixer() {
    static SystemMixer mixer;
    return mixer;
}

struct TMusic::Player {
    TMusic* music;
    Text file;
    int repeats;
    bool midi;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> finished{false};
    UniqueHandle stopEvent{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    Text error; // written before finished is set

    // A pause of the player that a stop request cuts short.
    void Pause(DWORD ms) const { WaitForSingleObject(stopEvent.get(), ms); }
    void RequestStop() {
        stopRequested = true;
        SetEvent(stopEvent.get());
    }
};

TMusic::TMusic(MusicDevice& device, MusicMixer& mixer, PauseProc pause, TraceProc trace)
    : device_(device), mixer_(mixer), pause_(std::move(pause)), trace_(std::move(trace)) {
    if (!pause_) pause_ = [](DWORD ms) { Sleep(ms); };
    if (!trace_) trace_ = [](const Text& line) { TraceLine(line); };
}

TMusic::~TMusic() {
    if (player_) player_->RequestStop();
    if (thread_) {
        WaitForSingleObject(thread_, 5000); // the player uses this object to its last step
        CloseHandle(thread_);
    }
}

void TMusic::PlayMusic(const Text& file, int repeats) {
    ++starting_;
    StopMusic(0);
    midi_ = IsMidiFile(file);
    auto player = std::make_shared<Player>();
    player->music = this;
    player->file = file;
    player->repeats = repeats == 0 ? RepeatForever : repeats;
    player->midi = midi_;
    // The thread holds its own reference, so a player that outlives the stop's bound
    // still has its state.
    auto* own = new std::shared_ptr<Player>(player);
    thread_ = CreateThread(nullptr, 0, &TMusic::PlayerMain, own, 0, nullptr);
    if (thread_)
        player_ = std::move(player);
    else
        delete own;
    --starting_;
}

DWORD WINAPI TMusic::PlayerMain(void* param) {
    std::unique_ptr<std::shared_ptr<Player>> own(static_cast<std::shared_ptr<Player>*>(param));
    Player& p = **own;
    p.music->RunPlayer(p);
    return 0;
}

void TMusic::RunPlayer(Player& p) {
    DWORD err = 0;
    UINT device = 0;
    bool open = false;
    auto traceError = [&] { trace_("Music: " + device_.ErrorText(err) + " (" + p.file + ")"); };
    if (!p.stopRequested) {
        err = device_.Open(p.file, p.midi, device);
        open = err == 0;
        if (err) traceError();
    }
    if (open) ++playing_;
    for (int i = 0; i < p.repeats && !p.stopRequested; ++i) {
        bool clean = err == 0;
        if (!err) err = device_.PlayFromStart(device);
        if (!err) {
            DWORD length = 0, position = 0;
            err = device_.Length(device, length);
            while (!err && !p.stopRequested) {
                err = device_.Position(device, position);
                if (err || position >= length) break;
                p.Pause(PositionPollMs);
            }
        }
        // A stop closes the device at once: seeking a playing wave device waits for it to drain.
        if (!err && !p.stopRequested) err = device_.SeekToStart(device);
        p.Pause(RepeatPauseMs);
        if (clean && err) traceError(); // once: an idle player repeats it no more
    }
    // Silent first, then the user's volume back: the reverse would sound the piece's last
    // buffers at full volume, and no fade step may come after the restore.
    if (open) {
        {
            std::lock_guard<std::mutex> guard(volumeLock_);
            --playing_;
        }
        device_.Close(device);
    }
    RestoreMusicVolume();
    p.error = err ? device_.ErrorText(err) : Text();
    p.finished = true;
}

bool TMusic::WaitForPlayer(DWORD ms) {
    return !thread_ || WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0;
}

void TMusic::StopMusic(int fadeMs) {
    if (fadeMs > 0) {
        int volume = GetMusicVolume();
        savedVolume_ = volume;
        savedMidi_ = midi_.load();
        // At least one step per tick, so the fade always reaches 0.
        int steps = GreaterInt(1, fadeMs / static_cast<int>(FadeStepMs));
        int step = GreaterInt(1, volume / steps);
        for (int v = volume; v > 0;) {
            v = GreaterInt(0, v - step);
            SetMusicVolume(v);
            pause_(FadeStepMs);
        }
    }
    if (player_ && !player_->finished) {
        player_->RequestStop();
        if (!WaitForPlayer(PlayerStopBoundMs)) trace_("Music: the player did not stop in time");
    } else {
        pause_(NoPlayerPauseMs);
    }
    if (player_ && player_->finished) {
        lastError_ = player_->error;
        WaitForPlayer(PlayerStopBoundMs); // its last instructions after the finished mark
    }
    player_.reset();
    // A player stuck past the bound is left to end alone; it holds its own state.
    if (thread_) CloseHandle(std::exchange(thread_, nullptr));
}

int TMusic::GetMusicVolume() {
    if (starting_ > 0 || playing_ <= 0) return 0;
    return mixer_.Volume(midi_);
}

// Under the lock the player takes to leave: a step that found the device open is written
// before the player's restore.
void TMusic::SetMusicVolume(int volume) {
    std::lock_guard<std::mutex> guard(volumeLock_);
    if (starting_ > 0 || playing_ <= 0) return;
    mixer_.SetVolume(midi_, volume);
}

void TMusic::RestoreMusicVolume() {
    int saved = savedVolume_.exchange(0);
    if (saved > 0) mixer_.SetVolume(savedMidi_, saved);
}

Text TMusic::LastError() const {
    if (player_ && player_->finished) return player_->error;
    return lastError_;
}

TMusic& Music() {
    static TMusic music(SystemMusicDevice(), SystemMusicMixer());
    return music;
}

void PlayMusic(const Text& file, int repeats) {
    Music().PlayMusic(file, repeats);
}

void StopMusic(int fadeMs) {
    Music().StopMusic(fadeMs);
}

bool HasMusicPlayer() {
    return Music().HasPlayer();
}

int GetMusicVolume() {
    return Music().GetMusicVolume();
}

void SetMusicVolume(int volume) {
    Music().SetMusicVolume(volume);
}

void RestoreMusicVolume() {
    Music().RestoreMusicVolume();
}

} // namespace zk
