// SPDX-License-Identifier: GPL-3.0-or-later
// The engines' configurations run by the engines themselves (Debian's brutefir and pipewire,
// which scripts/install-deps.sh --engines installs): BruteFIR filters a test signal between raw
// files, PipeWire loads the drop-in in a daemon of the test's own. A test is skipped, saying why,
// only when its engine is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <complex>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>

#include "acoustic/acoustic_model.h"
#include "acoustic/correction.h"
#include "acoustic/impulse_reader.h"
#include "dsp/calculation.h"
#include "export/export_set.h"
#include "support/file_bytes.h"

namespace kc::exporting {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The program's path on PATH, empty when it is not installed.
std::string Installed(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const fs::path candidate = fs::path(folders.substr(start, end - start)) / program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
        start = end + 1;
    }
    return {};
}

// A child in a process group of its own, in `folder`, with only `environment`, its output
// into `log`; ended with its group when the test is done with it.
class Child {
  public:
    Child(const std::vector<std::string>& command, const fs::path& folder,
          const std::vector<std::string>& environment, const fs::path& log) {
        std::vector<char*> argv;
        argv.reserve(command.size() + 1);
        for (const std::string& argument : command) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        envp.reserve(environment.size() + 1);
        for (const std::string& entry : environment) {
            envp.push_back(const_cast<char*>(entry.c_str()));
        }
        envp.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out < 0 || ::chdir(folder.c_str()) != 0) {
                ::_exit(127);
            }
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (pid_ > 0 && !ended_) {
            ::kill(-pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // Its exit status once it ended within `limit`; -1 when it was still running (it is then
    // killed) or did not exit normally.
    int Wait(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }
    bool Running() {
        int status = 0;
        if (!ended_ && ::waitpid(pid_, &status, WNOHANG) == pid_) {
            ended_ = true;
        }
        return !ended_;
    }

  private:
    pid_t pid_ = -1;
    bool ended_ = false;
};

class EngineRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("kc-engine-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string In(const std::string& name) const { return (folder_ / name).string(); }
    std::string Log(const fs::path& log) const { return testing_support::ReadBytes(log.string()); }

    fs::path folder_;
};

// A seeded noise in [-0.5, 0.5), then silence as long as the filters, so that the output holds
// every band's whole convolution.
std::vector<float> TestSignal(std::size_t frames, std::size_t silence) {
    std::vector<float> samples((frames + silence) * 2, 0.0F);
    uint32_t state = 12345;
    for (std::size_t i = 0; i < frames * 2; ++i) {
        state = state * 1664525U + 1013904223U;
        samples[i] = static_cast<float>(state >> 8) / 16777216.0F - 0.5F;
    }
    return samples;
}

// What BruteFIR made of a stereo input (interleaved) with the configuration and the float64 raw
// files that the export of `design` with the band settings `bands` writes at `rateHz` into
// `folder`, with file devices: the crossover's taps and the six outputs, interleaved, as long as
// the input.
struct BruteFirRun {
    dsp::CrossoverTaps taps;
    std::vector<float> output;
};

BruteFirRun RunBruteFir(const std::string& brutefir, const fs::path& folder,
                        const dsp::CrossoverParameters& design, int32_t rateHz,
                        const std::vector<float>& input, const acoustic::Settings& bands = {},
                        const acoustic::Correction& correction = {}) {
    ExportRequest request;
    request.alignment.bands = bands;
    request.alignment.correction = correction;
    request.Kind("raw").name = (folder / "xo").string();
    request.Option("rawFormat") = "float64";
    request.Kind("bruteFir").name = (folder / "xo.conf").string();
    request.Option("capture") = "file:in.raw";  // from the configuration's folder, where it runs
    request.Option("playback") = "file:out.raw";
    const ExportPlan plan = PlanExport(design, {rateHz}, request);
    WriteExportSet(plan);
    BruteFirRun run{dsp::CalculateCrossover(plan.rates[0].parameters).taps, {}};
    std::ofstream((folder / "in.raw").string(), std::ios::binary)
        .write(reinterpret_cast<const char*>(input.data()),
               static_cast<std::streamsize>(input.size() * sizeof(float)));
    const fs::path log = folder / "brutefir.log";
    Child engine({brutefir, "-nodefault", "-quiet", "xo.conf"}, folder,
                 {"HOME=" + folder.string(), "PATH=/usr/bin:/bin"}, log);
    EXPECT_EQ(engine.Wait(60s), 0) << testing_support::ReadBytes(log.string());
    const std::string bytes = testing_support::ReadBytes((folder / "out.raw").string());
    EXPECT_EQ(bytes.size(), input.size() / 2 * 6 * sizeof(float))
        << testing_support::ReadBytes(log.string());
    run.output.resize(bytes.size() / sizeof(float));
    std::memcpy(run.output.data(), bytes.data(), run.output.size() * sizeof(float));
    return run;
}

TEST_F(EngineRunTest, BruteFirOutputsAreTheConvolutionsOfTheExportedTaps) {
    const std::string brutefir = Installed("brutefir");
    if (brutefir.empty()) {
        GTEST_SKIP() << "brutefir is not installed (scripts/install-deps.sh --engines)";
    }
    const dsp::CrossoverParameters design;  // 901 taps at 44.1 kHz: 981 at 48 kHz
    const std::size_t frames = 3000;
    const std::size_t taps = 981;
    const std::vector<float> input = TestSignal(frames, taps);
    const BruteFirRun run = RunBruteFir(brutefir, folder_, design, 48000, input);
    ASSERT_EQ(run.taps.LowTaps.size(), taps);
    ASSERT_EQ(run.output.size(), (frames + taps) * 6);
    const std::vector<double>* bands[] = {&run.taps.LowTaps, &run.taps.MidTaps, &run.taps.HighTaps};
    for (int channel = 0; channel < 6; ++channel) {
        const std::vector<double>& h = *bands[channel % 3];
        long double peak = 0;
        long double worst = 0;
        for (std::size_t n = 0; n < frames + taps; ++n) {
            long double expected = 0;  // input channel 0 or 1 through the band's taps
            for (std::size_t k = 0; k < h.size() && k <= n; ++k) {
                expected += static_cast<long double>(h[k]) * input[(n - k) * 2 + channel / 3];
            }
            peak = std::max(peak, std::fabs(expected));
            worst = std::max(worst, std::fabs(run.output[n * 6 + channel] - expected));
        }
        ASSERT_GT(peak, 0.01L) << channel;
        const long double errorDb = 20.0L * std::log10(worst / peak);
        EXPECT_LT(errorDb, -140.0L) << "output " << channel;
        RecordProperty("errorDb" + std::to_string(channel),
                       std::to_string(static_cast<double>(errorDb)));
    }
}

// A tuned design (the tweeter 2 dB down and 0.05 ms later, the midrange inverted): the left
// outputs' sum, analysed at the acoustic view's frequencies, is the acoustic prediction with ideal
// drivers for those settings within 0.1 dB wherever the sum is above -40 dB: the whole chain from
// the design and the acoustic view's settings to the engine's output.
TEST_F(EngineRunTest, BruteFirLeftSumIsTheAcousticPrediction) {
    const std::string brutefir = Installed("brutefir");
    if (brutefir.empty()) {
        GTEST_SKIP() << "brutefir is not installed (scripts/install-deps.sh --engines)";
    }
    const int32_t rate = 48000;
    acoustic::Settings settings{};
    settings[static_cast<std::size_t>(dsp::Band::High)] = {-2.0, 0.05, false};
    settings[static_cast<std::size_t>(dsp::Band::Mid)].inverted = true;
    const std::size_t length = 2048;
    std::vector<float> impulse(length * 2, 0.0F);
    impulse[0] = 1.0F;  // the left input; the right one silent
    const BruteFirRun run =
        RunBruteFir(brutefir, folder_, dsp::CrossoverParameters{}, rate, impulse, settings);
    ASSERT_EQ(run.output.size(), length * 6);
    acoustic::AcousticModel model;
    model.SetDesign(run.taps);
    acoustic::AcousticResponse predicted;
    model.Evaluate(settings, predicted);
    ASSERT_FALSE(predicted.frequenciesHz.empty());
    std::size_t compared = 0;
    for (std::size_t i = 0; i < predicted.frequenciesHz.size(); ++i) {
        const double predictedDb = 20.0 * std::log10(std::abs(predicted.sum[i]));
        if (predictedDb <= -40.0) {
            continue;
        }
        const long double w = -2.0L * 3.141592653589793238L * predicted.frequenciesHz[i] / rate;
        std::complex<long double> sum = 0;
        for (std::size_t n = 0; n < length; ++n) {
            const long double left = static_cast<long double>(run.output[n * 6]) +
                                     run.output[n * 6 + 1] + run.output[n * 6 + 2];
            sum += left * std::polar(1.0L, w * static_cast<long double>(n));
        }
        const double measuredDb = 20.0 * std::log10(static_cast<double>(std::abs(sum)));
        EXPECT_NEAR(measuredDb, predictedDb, 0.1) << predicted.frequenciesHz[i] << " Hz";
        ++compared;
    }
    EXPECT_GT(compared, predicted.frequenciesHz.size() / 2);
    // The right outputs stay silent.
    for (std::size_t n = 0; n < length; ++n) {
        ASSERT_EQ(run.output[n * 6 + 3] + run.output[n * 6 + 4] + run.output[n * 6 + 5], 0.0F);
    }
}

// A daemon of the test's own: no D-Bus, no session manager, a dummy driver at 48 kHz, its
// socket in the test's folder; the drop-in goes into its pipewire.conf.d.
struct PrivatePipeWire {
    fs::path config;
    fs::path runtime;
    std::vector<std::string> environment;  // the daemon's
    std::vector<std::string> clients;      // its clients': their own configuration, its socket

    explicit PrivatePipeWire(const fs::path& folder)
        : config(folder / "conf"), runtime(folder / "run") {
        fs::create_directories(config / "pipewire.conf.d");
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        std::ofstream(config / "pipewire.conf") << R"(
context.properties = { core.daemon = true core.name = pipewire-0 support.dbus = false
                       default.clock.rate = 48000 }
context.spa-libs = { audio.convert.* = audioconvert/libspa-audioconvert
                     support.* = support/libspa-support }
context.modules = [
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-profiler }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-node-factory }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-access }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-link-factory }
]
context.objects = [
    { factory = spa-node-factory
      args = { factory.name = support.node.driver node.name = Dummy-Driver priority.driver = 20000 } }
]
)";
        clients = {"PATH=/usr/bin:/bin", "HOME=" + folder.string(),
                   "XDG_RUNTIME_DIR=" + runtime.string()};
        environment = clients;
        environment.push_back("PIPEWIRE_CONFIG_DIR=" + config.string());
    }
    // Whether the daemon's socket appeared within a few seconds while it ran.
    bool Listening(Child& daemon) const {
        for (int i = 0; i < 500 && daemon.Running(); ++i) {
            if (fs::exists(runtime / "pipewire-0")) {
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
};

// The properties of an object of pw-dump's list; none for one without (metadata, say).
nlohmann::json PropsOf(const nlohmann::json& object) {
    const auto info = object.find("info");
    if (info == object.end() || !info->is_object() || !info->contains("props") ||
        !(*info)["props"].is_object()) {
        return nlohmann::json::object();
    }
    return (*info)["props"];
}

// The objects the daemon lists.
nlohmann::json Dump(const std::string& pwDump, const PrivatePipeWire& daemon,
                    const fs::path& folder) {
    Child dump({pwDump}, folder, daemon.clients, folder / "dump.json");
    EXPECT_EQ(dump.Wait(10s), 0) << testing_support::ReadBytes((folder / "dump.json").string());
    return nlohmann::json::parse(testing_support::ReadBytes((folder / "dump.json").string()));
}

// What a session manager does for a stream: its ports, one per channel of its format (its
// audio.channels at its audio.position, as the node says them).
void ConfigurePorts(const std::string& pwCli, const PrivatePipeWire& daemon, const fs::path& folder,
                    const nlohmann::json& props, const char* direction) {
    std::string positions = props.value("audio.position", "");  // "[ FL FR ]"
    std::string list;
    for (std::size_t at = positions.find_first_not_of("[ ]"); at != std::string::npos;) {
        const std::size_t end = positions.find_first_of(" ]", at);
        list += (list.empty() ? "\"" : ", \"") + positions.substr(at, end - at) + "\"";
        at = positions.find_first_not_of("[ ]", end);
    }
    const std::string config =
        std::string(R"({ "direction": ")") + direction +
        R"(", "mode": "dsp", "format": { "mediaType": "audio", "mediaSubtype": "raw", )"
        R"("format": "F32P", "rate": 48000, "channels": )" +
        std::to_string(props.value("audio.channels", 0)) + R"(, "position": [ )" + list + " ] } }";
    Child set({pwCli, "set-param", props.value("node.name", ""), "PortConfig", config}, folder,
              daemon.clients, folder / "pw-cli.log");
    EXPECT_EQ(set.Wait(10s), 0) << testing_support::ReadBytes((folder / "pw-cli.log").string());
}

// The files the loaded filter chain's convolvers name (its module's arguments, as the daemon
// The example drivers corrected, the midrange and tweeter delayed to meet the woofer: BruteFIR's
// left outputs, each through its driver and summed, are the acoustic view's prediction of the
// corrected bands within 0.1 dB up to 20 kHz wherever it lies within 40 dB of its largest level:
// what is shown is what the engine plays.
TEST_F(EngineRunTest, BruteFirCorrectedSumIsTheAcousticPrediction) {
    const std::string brutefir = Installed("brutefir");
    if (brutefir.empty()) {
        GTEST_SKIP() << "brutefir is not installed (scripts/install-deps.sh --engines)";
    }
    const int32_t rate = 48000;
    acoustic::Drivers drivers;
    const char* names[] = {"woofer.frd", "midrange.frd", "tweeter.frd"};
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        drivers[b] =
            acoustic::ReadDriverFile(std::string(KC_DRIVER_EXAMPLES) + "/" + names[b], names[b]);
    }
    acoustic::Correction correction{{}, std::make_shared<const acoustic::Drivers>(drivers)};
    correction.settings.bands.fill(true);
    acoustic::Settings settings{};
    settings[1].delayMs = 0.038;
    settings[2].delayMs = 0.073;
    const std::size_t length = 4096;
    std::vector<float> impulse(length * 2, 0.0F);
    impulse[0] = 1.0F;
    dsp::CrossoverParameters design;
    design.adjustCoefficient = true;
    const BruteFirRun run =
        RunBruteFir(brutefir, folder_, design, rate, impulse, settings, correction);
    ASSERT_EQ(run.output.size(), length * 6);
    acoustic::AcousticModel model;
    model.SetDrivers(drivers);
    dsp::CalculationResult crossover;
    crossover.parameters = dsp::AtSampleRate(design, rate);
    crossover.taps = run.taps;
    model.SetDesign(acoustic::CorrectDesign(crossover, correction).taps);
    acoustic::AcousticResponse predicted;
    model.Evaluate(settings, predicted);
    const std::vector<double> levels = acoustic::LevelsDb(predicted.sum);
    const double top = *std::max_element(levels.begin(), levels.end());
    std::size_t compared = 0;
    for (std::size_t i = 0; i < predicted.frequenciesHz.size(); ++i) {
        // Above 20 kHz the fractional-delay filter's own roll-off (from 0.9 of half the rate)
        // departs from the ideal delay the view assumes.
        if (levels[i] <= top - 40.0 || predicted.frequenciesHz[i] > 20000.0) {
            continue;
        }
        const long double w = -2.0L * 3.141592653589793238L * predicted.frequenciesHz[i] / rate;
        std::complex<double> sum = 0;
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            std::complex<long double> band = 0;
            for (std::size_t n = 0; n < length; ++n) {
                band += static_cast<long double>(run.output[n * 6 + b]) *
                        std::polar(1.0L, w * static_cast<long double>(n));
            }
            sum += model.DriverValues()[b][i] * std::complex<double>(band);
        }
        EXPECT_NEAR(20.0 * std::log10(std::abs(sum)), levels[i], 0.1)
            << predicted.frequenciesHz[i] << " Hz";
        ++compared;
    }
    EXPECT_GT(compared, predicted.frequenciesHz.size() / 2);
}

// parsed them) that do not exist; `named` gets how many it names.
std::vector<std::string> MissingFiles(const nlohmann::json& objects, std::size_t* named) {
    std::vector<std::string> missing;
    *named = 0;
    for (const nlohmann::json& object : objects) {
        if (object["type"] != "PipeWire:Interface:Module" ||
            object["info"].value("name", "") != "libpipewire-module-filter-chain") {
            continue;
        }
        const std::string args = object["info"].value("args", "");
        for (std::size_t at = args.find("filename = "); at != std::string::npos;
             at = args.find("filename = ", at + 1)) {
            const std::size_t end = args.find(" channel = ", at);
            for (std::size_t q = args.find('"', at); q < end; q = args.find('"', q + 1)) {
                const std::size_t close = args.find('"', q + 1);
                const std::string file = args.substr(q + 1, close - q - 1);
                ++*named;
                if (!fs::exists(file)) {
                    missing.push_back(file);
                }
                q = close;
            }
        }
    }
    return missing;
}

TEST_F(EngineRunTest, PipeWireLoadsTheDropInAndItsSinkHasItsPorts) {
    const std::string pipewire = Installed("pipewire");
    const std::string pwCli = Installed("pw-cli");
    const std::string pwDump = Installed("pw-dump");
    if (pipewire.empty() || pwCli.empty() || pwDump.empty()) {
        GTEST_SKIP() << "pipewire or pipewire-bin is not installed "
                        "(scripts/install-deps.sh --engines)";
    }
    const PrivatePipeWire daemon(folder_);
    ExportRequest request;
    request.Kind("wav").name = In("xo-{rate}");
    request.Kind("pipeWire").name = (daemon.config / "pipewire.conf.d" / "xo.conf").string();
    request.Option("pipeWirePositions") = "AUX0,AUX1,AUX2,AUX3,AUX4,AUX5";
    const std::vector<int32_t> rates = {44100, 48000};
    WriteExportSet(PlanExport(dsp::CrossoverParameters{}, rates, request));

    Child server({pipewire}, folder_, daemon.environment, folder_ / "pipewire.log");
    ASSERT_TRUE(daemon.Listening(server)) << Log(folder_ / "pipewire.log");
    nlohmann::json objects = Dump(pwDump, daemon, folder_);
    for (const nlohmann::json& object : objects) {
        const nlohmann::json props = PropsOf(object);
        if (props.value("node.name", "") == "kaiser_crossover") {
            EXPECT_EQ(props.value("media.class", ""), "Audio/Sink");
            EXPECT_EQ(props.value("node.description", ""), "Kaiser Crossover");
            ConfigurePorts(pwCli, daemon, folder_, props, "Input");
        } else if (props.value("node.name", "") == "kaiser_crossover.output") {
            ConfigurePorts(pwCli, daemon, folder_, props, "Output");
        }
    }
    objects = Dump(pwDump, daemon, folder_);
    std::map<int, std::string> nodes;  // id: node.name
    for (const nlohmann::json& object : objects) {
        if (object["type"] == "PipeWire:Interface:Node") {
            nodes[object["id"].get<int>()] = PropsOf(object).value("node.name", "");
        }
    }
    std::map<std::string, std::vector<std::string>> portsOf;
    for (const nlohmann::json& object : objects) {
        if (object["type"] == "PipeWire:Interface:Port") {
            const nlohmann::json props = PropsOf(object);
            portsOf[nodes[props.value("node.id", -1)]].push_back(props.value("port.name", ""));
        }
    }
    EXPECT_EQ(portsOf["kaiser_crossover"],
              (std::vector<std::string>{"playback_FL", "playback_FR"}));
    EXPECT_EQ(portsOf["kaiser_crossover.output"],
              (std::vector<std::string>{"output_AUX0", "output_AUX1", "output_AUX2", "output_AUX3",
                                        "output_AUX4", "output_AUX5"}));
    // The convolvers open their files when the graph first runs: every file the daemon read in
    // the drop-in must be there, and one taken away is found missing.
    std::size_t named = 0;
    EXPECT_EQ(MissingFiles(objects, &named), std::vector<std::string>{});
    EXPECT_EQ(named, 6 * rates.size());
    fs::remove(In("xo-48000-mid.wav"));
    EXPECT_EQ(MissingFiles(objects, &named),
              (std::vector<std::string>{In("xo-48000-mid.wav"), In("xo-48000-mid.wav")}));
}

}  // namespace
}  // namespace kc::exporting
