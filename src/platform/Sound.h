#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

class QAudioSink;
class QObject;

namespace velmora {

// The sound of a wave file as far as playing it needs.
struct WaveFormat {
    int encoding = 0; // 1 integer PCM, 3 floating point
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::uint64_t dataOffset = 0; // where the samples start in the file
    std::uint64_t dataSize = 0;   // bytes of the whole frames the file really holds
    int frameBytes() const { return channels * bitsPerSample / 8; }
    double seconds() const;
};

// Reads the header of a wave file: "" when it can be played (`format` then
// describes it), else why not, in Japanese.
std::string readWaveFormat(const std::string& path, WaveFormat* format);

// Plays wave files on the default sound device, several at a time, without
// holding up the user-interface thread (it needs the Qt event loop running).
class SoundPlayer {
public:
    enum class Outcome {
        Played, // the whole file went to the sound device
        Beeped, // no file was named: the default beep
        Failed, // the file cannot be played: beeped instead and reported
        Silent, // no sound device: beeped instead, not reported (or the device stopped midway)
    };
    using Beep = std::function<void()>;
    using Failure = std::function<void(const std::string& message)>;
    using Finished = std::function<void(const std::string& waveFile, Outcome outcome)>;

    // `beep` gives the default beep; an empty one stays silent.
    explicit SoundPlayer(Beep beep);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Starts the file and returns at once; "" beeps. A file that cannot be
    // played beeps instead, and the failure reaches setFailure() once per
    // path for the life of this player.
    void play(const std::string& waveFile);
    // Who is told that a file cannot be played; nobody by default.
    void setFailure(Failure failed) { m_failed = std::move(failed); }
    // Who hears how each play() ended (a "test play" button waits for it).
    void setFinished(Finished finished) { m_finished = std::move(finished); }
    // Files still sounding.
    std::size_t playing() const { return m_playing.size(); }

    // The bell of the X server the environment names; nothing without one.
    static Beep xServerBell();

private:
    void fail(const std::string& waveFile, const std::string& reason);
    void end(QAudioSink* sink, Outcome outcome);
    void report(const std::string& waveFile, Outcome outcome);

    Beep m_beep;
    Failure m_failed;
    Finished m_finished;
    std::set<std::string> m_reported;
    std::map<QAudioSink*, std::string> m_playing;
    std::unique_ptr<QObject> m_sinks; // parent of the sounds still playing
};

} // namespace velmora
