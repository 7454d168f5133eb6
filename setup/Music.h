// Background music: one player thread plays a MIDI or wave file through MCI, repeated, while
// the main thread reads and sets its loudness on the system mixer and fades it out at the
// end. Errors are never shown: they leave the player idle and go to the debug channel.
#pragma once
#include "Utils.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace zk {

// ".MID" or ".MIDI" in any case.
bool IsMidiFile(const Text& file);
// The system's text of an MCI error code, or "Undefined error code".
Text GetMciErrorText(DWORD code);

// The player's device calls; each returns 0 or an MCI error code.
class MusicDevice {
  public:
    virtual ~MusicDevice() = default;
    // The sequencer for MIDI, the waveform-audio device otherwise.
    virtual DWORD Open(const Text& file, bool midi, UINT& device) = 0;
    virtual DWORD PlayFromStart(UINT device) = 0; // returns at once
    virtual DWORD Length(UINT device, DWORD& length) = 0;
    virtual DWORD Position(UINT device, DWORD& position) = 0;
    virtual DWORD SeekToStart(UINT device) = 0;
    virtual void Close(UINT device) = 0;
    virtual Text ErrorText(DWORD code) = 0;
};

// Volume (0..65535, all channels) of the mixer's source line that feeds the speakers: the
// synthesizer line for MIDI, the wave-out line otherwise. Without a mixer or line, reads give
// 0 and writes do nothing.
class MusicMixer {
  public:
    virtual ~MusicMixer() = default;
    virtual int Volume(bool midi) = 0;
    virtual void SetVolume(bool midi, int volume) = 0;
};

// MCI and mixer device 0 of the system (the mixer opened at first use and kept).
MusicDevice& SystemMusicDevice();
MusicMixer& SystemMusicMixer();

// The music's state: one player at a time, the counts that tell the main thread whether a
// device is open, and the volume a fade saved. The player thread and the main thread share
// atomics, and one lock that orders a volume write against the player's leaving.
class TMusic {
  public:
    using PauseProc = std::function<void(DWORD ms)>;
    using TraceProc = std::function<void(const Text& line)>;
    TMusic(MusicDevice& device, MusicMixer& mixer, PauseProc pause = {}, TraceProc trace = {});
    ~TMusic();
    TMusic(const TMusic&) = delete;
    TMusic& operator=(const TMusic&) = delete;

    // Ends a previous player without fade, then starts one for the file; repeats 0 plays
    // until stopped (2147483646 times).
    void PlayMusic(const Text& file, int repeats);
    // Fades out over `fadeMs` when above 0, then stops the player and waits for it, at most
    // about 2 s; without a player one 200 ms pause.
    void StopMusic(int fadeMs);
    // 0 while PlayMusic runs or no device is open.
    int GetMusicVolume();
    void SetMusicVolume(int volume);
    // Puts back the volume a fade saved, on the line it was saved from, and forgets it.
    void RestoreMusicVolume();
    bool IsPlaying() const { return playing_ > 0; }
    // A player was started and not yet stopped (it may have played to its end).
    bool HasPlayer() const { return player_ != nullptr; }
    // The MCI error text that ended the last player's work, empty without one.
    Text LastError() const;

    struct Player;

  private:
    friend struct Player;
    static DWORD WINAPI PlayerMain(void* player);
    void RunPlayer(Player& p);
    bool WaitForPlayer(DWORD ms);

    MusicDevice& device_;
    MusicMixer& mixer_;
    PauseProc pause_;
    TraceProc trace_;
    std::shared_ptr<Player> player_;
    HANDLE thread_ = nullptr;
    std::atomic<bool> midi_{false};
    std::atomic<int> playing_{0}, starting_{0};
    std::atomic<int> savedVolume_{0};
    std::atomic<bool> savedMidi_{false};
    std::mutex volumeLock_;
    Text lastError_;
};

// The process's music on the system's MCI and mixer.
TMusic& Music();
void PlayMusic(const Text& file, int repeats);
void StopMusic(int fadeMs);
bool HasMusicPlayer();
int GetMusicVolume();
void SetMusicVolume(int volume);
void RestoreMusicVolume();

} // namespace zk
