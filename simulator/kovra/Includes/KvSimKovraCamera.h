#pragma once
// The simulated Kovra camera as seen from its serial console: the host's bytes
// go in, the camera's answer comes out, paced as the camera's UART sends it.
// There are no threads and no sockets: time passes only when the owner calls
// Advance, so pacing, temperature drift and the reset delay can be tested
// without sleeping. One thread at a time may use an object.

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>

#include "KvSimKovraModels.h"
#include "KvSimKovraState.h"

struct KovraCameraOptions {
    bool m_bColor = false;
    double m_dStartTemperature = 35.0;  // degrees Celsius at power-up
    // The temperature drifts towards the target at the given rate; with no
    // target it stays where it is.
    std::optional<double> m_dTargetTemperature;
    double m_dDriftPerSecond = 0.05;
    // Probability, per byte the camera sends, that a random byte follows it.
    double m_dNoiseRate = 0.0;
    uint32_t m_nNoiseSeed = 1;
    // Baud rate of the camera's UART (8N1, ten bits a byte); 0 hands every
    // byte over at once and leaves the pacing to the carrier.
    uint32_t m_nBaudRate = 9600;
    std::chrono::milliseconds m_BootDelay{5000};  // from the reset to the boot message
    std::string m_sSerialNumber;                  // empty: the model's own
};

class KvSimKovraCamera {
public:
    using Duration = std::chrono::nanoseconds;

    // The camera is powered and booted with its boot set when constructed.
    KvSimKovraCamera(const KovraModelInfo& model, const KovraCameraOptions& options = {});
    ~KvSimKovraCamera();
    KvSimKovraCamera(const KvSimKovraCamera&) = delete;
    KvSimKovraCamera& operator=(const KvSimKovraCamera&) = delete;

    // Bytes the host wrote to the console, arriving now.
    void Write(std::span<const uint8_t> bytes);
    void Write(std::string_view text);

    // Takes up to buffer.size() of the bytes the camera has finished sending.
    size_t Read(std::span<uint8_t> buffer);
    std::string ReadAll();
    size_t Available() const { return m_Sent.size(); }

    // Lets time pass: the camera works, sends and warms up or cools down.
    void Advance(Duration elapsed);
    Duration Now() const { return Duration(m_nNowNs); }
    // Time until the camera next has something to do or send; nullopt when it
    // waits only for input (temperature drift aside, which Advance follows
    // whenever it is called).
    std::optional<Duration> NextEventIn() const;

    // Power off and on: boots the boot set at once, without a boot message.
    void PowerCycle();

    // The camera's trigger inputs, driven by the carrier's I/O block (its
    // look-up table routes device signals to them). A trigger on the chosen
    // input, at the chosen edge for the external one and the rising edge for
    // the camera-control line, starts "std" frames.
    void SetTriggerInput(KovraTriggerSource input, bool bLevel);
    int64_t TriggeredFrames() const { return m_nTriggeredFrames; }

    void SetTemperature(double degrees);
    void SetTargetTemperature(std::optional<double> degrees, double perSecond);

    const KovraModelInfo& Model() const { return m_Model; }
    bool IsColor() const { return m_Options.m_bColor; }
    std::string AnsweredName() const { return KovraAnsweredName(m_Model, m_Options.m_bColor); }
    const std::string& SerialNumber() const { return m_sSerialNumber; }
    const KovraCameraState& State() const { return m_State; }
    const KovraSettings& Settings() const { return m_State.m_Working; }
    KovraImageGeometry Geometry() const { return KovraGeometry(m_Model, m_State.m_Working); }

private:
    struct Line {
        std::string m_sText;
        bool m_bTooLong = false;  // longer than the camera's line buffer
    };
    struct Processing {
        Line m_Line;
        int64_t m_nDoneNs = 0;  // when the answer starts
    };

    void ReceiveByte(uint8_t byte);
    void LineComplete();
    void StartNextLine();
    void FinishLine(const Line& line);
    std::string Answer(const Line& line);
    int LatencyMs(const Line& line) const;
    void StartReset();
    void FinishBoot(bool bAnnounce);

    void Send(std::string_view text);
    void SendNow(std::string_view text);  // ahead of what waits in the UART
    void Deliver(uint8_t byte);
    void StepTo(int64_t nowNs);
    void UpdateTemperature(int64_t elapsedNs);
    void CheckTemperatureAlarm();
    int64_t ByteTimeNs() const;

    const KovraModelInfo& m_Model;
    KovraCameraOptions m_Options;
    std::string m_sSerialNumber;
    KovraCameraState m_State;

    int64_t m_nNowNs = 0;
    int64_t m_nBootDoneNs = 0;

    std::string m_sTyped;  // the line being typed
    bool m_bTypedTooLong = false;
    std::deque<Line> m_Lines;  // complete lines waiting for the processor
    std::optional<Processing> m_Processing;

    std::deque<uint8_t> m_Transmit;  // queued in the UART, not yet on the line
    int64_t m_nByteDoneNs = 0;       // when the first queued byte has been sent
    std::deque<uint8_t> m_Sent;      // sent, waiting for the reader

    std::array<bool, 3> m_bTriggerLevel{};  // per KovraTriggerSource
    int64_t m_nTriggeredFrames = 0;

    std::mt19937 m_Noise;
};
