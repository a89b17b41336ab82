#include "platform/Sound.h"

// Qt before Xlib: Xlib's macros (Bool, None, Status) break Qt's headers.
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>

#include "platform/Platform.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

#include <X11/Xlib.h>

namespace velmora {

namespace {

// Wave headers are little-endian whatever the machine.
std::uint32_t littleEndian(const unsigned char* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | p[i];
    }
    return value;
}

constexpr int kPcm = 1;
constexpr int kFloat = 3;
constexpr int kExtensible = 0xFFFE;

std::string problemWithEncoding(const WaveFormat& f) {
    if (f.encoding != kPcm && f.encoding != kFloat) {
        return "この WAV の符号化方式（" + std::to_string(f.encoding) +
               "）には対応していません。圧縮していない PCM の WAV を指定してください。";
    }
    const bool supported = f.encoding == kPcm ? (f.bitsPerSample == 8 || f.bitsPerSample == 16 ||
                                                 f.bitsPerSample == 24 || f.bitsPerSample == 32)
                                              : f.bitsPerSample == 32;
    if (!supported) {
        return "この WAV のサンプルのビット数（" + std::to_string(f.bitsPerSample) + "）には対応していません。";
    }
    return {};
}

// The samples of the data chunk, handed to the sound device as it asks for
// them, so that a long file is never read whole on the user-interface
// thread. 24-bit samples go out as 32-bit ones: the device takes no 24-bit.
class WaveData : public QIODevice {
public:
    WaveData(const std::string& path, const WaveFormat& format, QObject* parent)
        : QIODevice(parent), m_file(QString::fromStdString(path)), m_format(format), m_left(format.dataSize) {}

    bool start() {
        return m_file.open(QIODevice::ReadOnly) && m_file.seek(static_cast<qint64>(m_format.dataOffset)) &&
               open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return outBytes(m_left) + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (m_format.bitsPerSample != 24) {
            const qint64 n = m_file.read(data, std::min<qint64>(maxSize, static_cast<qint64>(m_left)));
            m_left -= n > 0 ? static_cast<std::uint64_t>(n) : m_left;
            return std::max<qint64>(n, 0);
        }
        const qint64 samples = std::min<qint64>(maxSize / 4, static_cast<qint64>(m_left / 3));
        m_packed.resize(static_cast<std::size_t>(samples * 3));
        const qint64 n = samples > 0 ? m_file.read(m_packed.data(), samples * 3) : 0;
        if (n <= 0) {
            m_left = 0;
            return 0;
        }
        m_left -= static_cast<std::uint64_t>(n);
        const qint64 got = n / 3;
        for (qint64 i = 0; i < got; ++i) {
            data[i * 4] = 0;
            std::memcpy(data + i * 4 + 1, m_packed.data() + i * 3, 3);
        }
        return got * 4;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 outBytes(std::uint64_t fileBytes) const {
        return static_cast<qint64>(m_format.bitsPerSample == 24 ? fileBytes / 3 * 4 : fileBytes);
    }

    QFile m_file;
    WaveFormat m_format;
    std::uint64_t m_left;
    std::string m_packed;
};

QAudioFormat audioFormatOf(const WaveFormat& f) {
    QAudioFormat format;
    format.setSampleRate(f.sampleRate);
    format.setChannelCount(f.channels);
    switch (f.bitsPerSample) {
    case 8:
        format.setSampleFormat(QAudioFormat::UInt8);
        break;
    case 16:
        format.setSampleFormat(QAudioFormat::Int16);
        break;
    default:
        format.setSampleFormat(f.encoding == kFloat ? QAudioFormat::Float : QAudioFormat::Int32);
        break;
    }
    return format;
}

// How long after the device has taken the last sample the sound is kept:
// the device is still playing its buffer then, and stopping at once would
// cut the end off.
constexpr int kTailMs = 500;
// A sound that has not ended this long after its length has stalled.
constexpr int kStallMs = 5000;

} // namespace

double WaveFormat::seconds() const {
    const int frame = frameBytes();
    return frame > 0 && sampleRate > 0 ? static_cast<double>(dataSize / static_cast<std::uint64_t>(frame)) / sampleRate
                                       : 0.0;
}

std::string readWaveFormat(const std::string& path, WaveFormat* format) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        return "ファイルが見つかりません。";
    }
    std::ifstream in(path, std::ios::binary);
    if (!fs::is_regular_file(status) || !in) {
        return "ファイルを読めません。";
    }
    const std::uint64_t fileSize = fs::file_size(path, ec);
    const std::string notWave = "WAV 形式のファイルではありません。";
    const std::string broken = "WAV ファイルが壊れています。";
    std::array<unsigned char, 12> riff{};
    if (!in.read(reinterpret_cast<char*>(riff.data()), riff.size()) || std::memcmp(riff.data(), "RIFF", 4) != 0 ||
        std::memcmp(riff.data() + 8, "WAVE", 4) != 0) {
        return notWave;
    }
    WaveFormat f;
    bool haveFormat = false;
    std::uint64_t at = 12;
    // Chunks come in any order and number (LIST, fact, cue ...); only the
    // format and the samples matter. The RIFF size is often wrong and is not used.
    while (at + 8 <= fileSize) {
        std::array<unsigned char, 8> header{};
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(header.data()), header.size())) {
            break;
        }
        const std::uint64_t size = littleEndian(header.data() + 4, 4);
        const std::uint64_t body = at + 8;
        if (std::memcmp(header.data(), "fmt ", 4) == 0) {
            std::array<unsigned char, 26> fmt{};
            if (size < 16 || !in.read(reinterpret_cast<char*>(fmt.data()), std::min<std::uint64_t>(size, 26))) {
                return broken;
            }
            f.encoding = static_cast<int>(littleEndian(fmt.data(), 2));
            f.channels = static_cast<int>(littleEndian(fmt.data() + 2, 2));
            f.sampleRate = static_cast<int>(littleEndian(fmt.data() + 4, 4));
            f.bitsPerSample = static_cast<int>(littleEndian(fmt.data() + 14, 2));
            if (f.encoding == kExtensible) {
                // The real encoding is the first two bytes of the sub-format GUID.
                f.encoding = size >= 26 ? static_cast<int>(littleEndian(fmt.data() + 24, 2)) : 0;
            }
            haveFormat = true;
        } else if (std::memcmp(header.data(), "data", 4) == 0) {
            if (!haveFormat) {
                return broken;
            }
            f.dataOffset = body;
            // A file cut short keeps what it has: that much is played.
            f.dataSize = std::min(size, fileSize - body);
            break;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat) {
        return at == 12 ? notWave : broken;
    }
    if (f.channels <= 0 || f.sampleRate <= 0 || f.bitsPerSample <= 0 || f.bitsPerSample % 8 != 0) {
        return broken;
    }
    if (std::string problem = problemWithEncoding(f); !problem.empty()) {
        return problem;
    }
    f.dataSize -= f.dataSize % static_cast<std::uint64_t>(f.frameBytes());
    if (f.dataOffset == 0 || f.dataSize == 0) {
        return "音のデータがありません。";
    }
    if (format) {
        *format = f;
    }
    return {};
}

SoundPlayer::SoundPlayer(Beep beep) : m_beep(std::move(beep)), m_sinks(std::make_unique<QObject>()) {}

SoundPlayer::~SoundPlayer() {
    // The sounds still playing stop with their sinks; what a sink says while
    // it goes must find none of them playing.
    m_playing.clear();
    m_sinks.reset();
}

void SoundPlayer::play(const std::string& waveFile) {
    if (waveFile.empty()) {
        if (m_beep) {
            m_beep();
        }
        report(waveFile, Outcome::Beeped);
        return;
    }
    WaveFormat wave;
    if (std::string problem = readWaveFormat(waveFile, &wave); !problem.empty()) {
        fail(waveFile, problem);
        return;
    }
    // Without an event loop nothing would ever feed the device.
    const QAudioDevice device = QCoreApplication::instance() ? QMediaDevices::defaultAudioOutput() : QAudioDevice();
    if (device.isNull()) {
        if (m_beep) {
            m_beep();
        }
        report(waveFile, Outcome::Silent);
        return;
    }
    const QAudioFormat format = audioFormatOf(wave);
    if (!device.isFormatSupported(format)) {
        fail(waveFile, "サウンド装置がこの WAV の形式（" + std::to_string(wave.sampleRate) + " Hz、" +
                           std::to_string(wave.channels) + " チャンネル、" + std::to_string(wave.bitsPerSample) +
                           " ビット）を再生できません。");
        return;
    }
    auto* sink = new QAudioSink(device, format, m_sinks.get());
    // The sink reads the samples: it owns them and stops before they go.
    auto* data = new WaveData(waveFile, wave, sink);
    if (!data->start()) {
        delete sink;
        fail(waveFile, "ファイルを読めません。");
        return;
    }
    m_playing[sink] = waveFile;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    const int lengthMs = static_cast<int>(wave.seconds() * 1000.0);
    QObject::connect(sink, &QAudioSink::stateChanged, sink, [this, sink, started, lengthMs](QAudio::State state) {
        if (!m_playing.count(sink)) {
            return;
        }
        if (state == QAudio::IdleState) {
            // Idle comes once the device has taken the last sample, while it still plays its buffer.
            const auto heard = static_cast<int>(started->elapsed());
            QTimer::singleShot(std::max(lengthMs - heard, 0) + kTailMs, sink,
                               [this, sink] { end(sink, Outcome::Played); });
        } else if (state == QAudio::StoppedState && sink->error() != QAudio::NoError) {
            // The sound server went away mid-sound: nothing to tell the user.
            end(sink, Outcome::Silent);
        }
    });
    QTimer::singleShot(lengthMs + kStallMs, sink, [this, sink] { end(sink, Outcome::Silent); });
    sink->start(data);
    if (sink->state() == QAudio::StoppedState && sink->error() != QAudio::NoError) {
        // Not started after all (the device went between the question and now).
        end(sink, Outcome::Silent);
    }
}

void SoundPlayer::end(QAudioSink* sink, Outcome outcome) {
    const auto it = m_playing.find(sink);
    if (it == m_playing.end()) {
        return;
    }
    const std::string waveFile = it->second;
    m_playing.erase(it);
    sink->stop();
    sink->deleteLater();
    report(waveFile, outcome);
}

void SoundPlayer::fail(const std::string& waveFile, const std::string& reason) {
    if (m_beep) {
        m_beep();
    }
    // A reminder with a broken sound can fire every few minutes: say it once.
    if (m_failed && m_reported.insert(waveFile).second) {
        m_failed("サウンドファイルを再生できません。\n" + waveFile + "\n" + reason);
    }
    report(waveFile, Outcome::Failed);
}

void SoundPlayer::report(const std::string& waveFile, Outcome outcome) {
    if (m_finished) {
        m_finished(waveFile, outcome);
    }
}

// The display is opened per bell, as the wallpaper code does: a resident
// program keeps no connection only for this.
SoundPlayer::Beep SoundPlayer::xServerBell() {
    return [] {
        if (::Display* d = XOpenDisplay(nullptr)) {
            XBell(d, 0);
            XCloseDisplay(d);
        }
    };
}

void Platform::playSound(const std::string& waveFile) {
    // Without a desktop nobody is there to hear: tests and the command-line tool stay quiet.
    if (wallpaperBackend() == "none") {
        return;
    }
    if (!m_sound) {
        m_sound = std::make_shared<SoundPlayer>(SoundPlayer::xServerBell());
        m_sound->setFailure(m_soundFailure);
    }
    m_sound->play(waveFile);
}

void Platform::setSoundFailure(std::function<void(const std::string& message)> failed) {
    m_soundFailure = std::move(failed);
    if (m_sound) {
        m_sound->setFailure(m_soundFailure);
    }
}

} // namespace velmora
