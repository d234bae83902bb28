#include "host/cli/commands/AnalyzeCommand.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/cli/CommandError.h"
#include "host/cli/analysis/PluginAnalyzer.h"
#include "host/cli/commands/NumberOptions.h"
#include "host/cli/io/JsonWriter.h"
#include "host/cli/io/OutputFile.h"
#include "host/cli/io/PrintableText.h"
#include "host/cli/session/PluginSession.h"
#include "host/cli/session/SampleRates.h"

extern char** environ;

namespace {

// The parameters that make harmonics, switched off for the linear response where present.
const char* const kHarmonicParameters[] = {"2nd", "3rd"};

void makeDirectories(const std::string& path) {
    std::string partial;
    std::size_t position = 0;
    while (position != std::string::npos) {
        position = path.find('/', position + 1);
        partial = path.substr(0, position);
        if (partial.empty() || mkdir(partial.c_str(), 0777) == 0 || errno == EEXIST) continue;
        throw CommandError(kExitOutput, "cannot create " + path + ": " + std::strerror(errno));
    }
    struct stat directory;
    if (stat(path.c_str(), &directory) != 0 || !S_ISDIR(directory.st_mode)) {
        throw CommandError(kExitOutput, "cannot create " + path + ": not a directory");
    }
}

std::string ordinal(int order) {
    switch (order) {
        case 1: return "fundamental";
        case 2: return "2nd";
        case 3: return "3rd";
        default: return std::to_string(order) + "th";
    }
}

double responseAt(const std::vector<ResponsePoint>& points, double frequency) {
    const ResponsePoint* nearest = &points.front();
    for (const ResponsePoint& point : points) {
        if (std::fabs(std::log(point.frequencyHz / frequency)) <
            std::fabs(std::log(nearest->frequencyHz / frequency))) {
            nearest = &point;
        }
    }
    return nearest->magnitudeDb;
}

}  // namespace

AnalyzeCommand::AnalyzeCommand(CLI::App& app) {
    command = app.add_subcommand(
        "analyze",
        "Measure the magnitude response (harmonics off) and the harmonics added to a "
        "sine; write CSV files and PNG plots");
    command->add_option("PLUGIN", pluginPath, "Plug-in library")->required();
    settings.addOptions(*command);
    command->add_option("--rate", sampleRate, "Sample rate in Hz")
        ->check(SampleRates::usableCheck())
        ->capture_default_str();
    command->add_option("--block", blockSize, "Frames per process call")
        ->check(CLI::Range(1, 65536))
        ->capture_default_str();
    command->add_option("--out", outputDirectory, "Directory for the results (created)")
        ->required();
    command->add_option("--sine-hz", sineHz, "Frequency of the test sine")
        ->check(number_options::finiteRange(10.0, 100000.0))
        ->capture_default_str();
    command->add_option("--sine-dbfs", sineDbfs, "Level of the test sine")
        ->check(number_options::finiteRange(-120.0, 0.0))
        ->capture_default_str();
    plotScript = BRL_PLOT_SCRIPT;
    command->add_option("--plot-script", plotScript, "The plotting script")->capture_default_str();
    command->add_flag("--no-plots", noPlots, "Write the CSV files only");
}

bool AnalyzeCommand::selected() const { return command->parsed(); }

void AnalyzeCommand::run() {
    if (sineHz >= 0.5 * sampleRate) {
        throw CommandError(kExitUsage, "--sine-hz must lie below half the sample rate");
    }
    if (!noPlots && access(plotScript.c_str(), R_OK) != 0) {
        throw CommandError(kExitUsage, "--plot-script " + plotScript + ": " + std::strerror(errno));
    }
    const Analysis analysis = measure();
    writeFiles(analysis);
    if (!noPlots) drawPlots();
    printSummary(analysis);
}

AnalyzeCommand::Analysis AnalyzeCommand::measure() const {
    PluginSession session(pluginPath);
    settings.applyTo(session);
    std::unique_ptr<PluginSession> harmonicSession = session.openAnother();
    settings.applyTo(*harmonicSession);

    Analysis analysis;
    for (const char* name : kHarmonicParameters) {
        if (session.parameterNamed(name)) {
            PluginSettings::applyOne(session, name, "0");
            analysis.switchedOff.push_back(name);
        }
    }
    SampleRates::warnIfUnsupported(sampleRate, "the analysis");
    PluginAnalyzer linear(session, sampleRate, blockSize);
    analysis.response = linear.magnitudeResponse();
    analysis.latency = session.latency();
    PluginAnalyzer nonlinear(*harmonicSession, sampleRate, blockSize);
    analysis.harmonics = nonlinear.harmonicSpectrum(sineHz, sineDbfs);
    return analysis;
}

void AnalyzeCommand::writeFiles(const Analysis& analysis) const {
    // Made only now, so that a failed measurement leaves no empty folder behind.
    makeDirectories(outputDirectory);
    const std::string directory = outputDirectory + "/";
    std::string csv = "frequency_hz,magnitude_db,phase_deg\n";
    char line[128];
    for (const ResponsePoint& point : analysis.response) {
        std::snprintf(line, sizeof line, "%.3f,%.4f,%.2f\n", point.frequencyHz, point.magnitudeDb,
                      point.phaseDegrees);
        csv += line;
    }
    OutputFile::writeAll(directory + "response.csv", csv.data(), csv.size());

    const HarmonicSpectrum& harmonics = analysis.harmonics;
    csv = "frequency_hz,output_dbfs,input_dbfs\n";
    for (const SpectrumPoint& point : harmonics.spectrum) {
        std::snprintf(line, sizeof line, "%.3f,%.2f,%.2f\n", point.frequencyHz, point.outputDbfs,
                      point.inputDbfs);
        csv += line;
    }
    OutputFile::writeAll(directory + "spectrum.csv", csv.data(), csv.size());

    csv = "order,frequency_hz,level_dbfs,relative_db\n";
    const double fundamental = harmonics.harmonics.empty() ? 0.0 : harmonics.harmonics[0].levelDbfs;
    for (const HarmonicLevel& level : harmonics.harmonics) {
        std::snprintf(line, sizeof line, "%d,%.3f,%.2f,%.2f\n", level.order, level.frequencyHz,
                      level.levelDbfs, level.levelDbfs - fundamental);
        csv += line;
    }
    OutputFile::writeAll(directory + "harmonics.csv", csv.data(), csv.size());

    JsonWriter json;
    json.beginObject();
    json.key("plugin"), json.value(pluginPath);
    json.key("sampleRate"), json.value(sampleRate);
    json.key("latency"), json.value(analysis.latency);
    json.key("settings");
    json.beginArray();
    for (const std::string& assignment : settings.assignments) json.value(assignment);
    json.endArray();
    json.key("harmonicsOff");
    json.beginArray();
    for (const std::string& name : analysis.switchedOff) json.value(name);
    json.endArray();
    json.key("sineHz"), json.value(harmonics.sineHz);
    json.key("sineDbfs"), json.value(harmonics.sineDbfs);
    json.key("energyAbove10kHzDbfs"), json.value(harmonics.energyAbove10kHzDbfs);
    json.endObject();
    OutputFile::writeAll(directory + "analysis.json", json.text().data(), json.text().size());
}

void AnalyzeCommand::printSummary(const Analysis& analysis) const {
    std::string switchedOff;
    for (const std::string& name : analysis.switchedOff) {
        switchedOff += (switchedOff.empty() ? "" : ", ") + name;
    }
    const std::vector<ResponsePoint>& response = analysis.response;
    std::printf(
        "response      %s off, latency %d samples removed: %+.1f dB at 1 kHz, %+.1f dB "
        "at 5 kHz, %+.1f dB at 10 kHz\n",
        switchedOff.empty() ? "nothing" : switchedOff.c_str(), analysis.latency,
        responseAt(response, 1000.0), responseAt(response, 5000.0), responseAt(response, 10000.0));
    const HarmonicSpectrum& harmonics = analysis.harmonics;
    std::printf("sine          %.1f Hz at %.1f dBFS:", harmonics.sineHz, harmonics.sineDbfs);
    for (const HarmonicLevel& level : harmonics.harmonics) {
        if (level.order > 1 && level.order <= 7) {
            std::printf(" %s %.1f", ordinal(level.order).c_str(), level.levelDbfs);
        }
    }
    std::printf(" dBFS\n");
    std::printf("above 10 kHz  %.1f dBFS of harmonics added to the sine\n",
                harmonics.energyAbove10kHzDbfs);
    std::printf("written       %s: response.csv spectrum.csv harmonics.csv analysis.json%s\n",
                outputDirectory.c_str(), noPlots ? "" : " response.png spectrum.png");
}

void AnalyzeCommand::drawPlots() const {
    std::vector<std::string> arguments = {BRL_PLOT_PYTHON, plotScript, outputDirectory};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The script's own complaints are collected, so the failure stays one line.
    int complaints[2];
    if (pipe(complaints) != 0) throw CommandError(kExitOutput, "plots not drawn: no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, complaints[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, complaints[0]);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(complaints[1]);
    std::string said;
    char buffer[4096];
    for (ssize_t got; (got = read(complaints[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        said.append(buffer, static_cast<std::size_t>(got));
    }
    close(complaints[0]);
    if (spawned != 0) {
        throw CommandError(
            kExitOutput, std::string("plots not drawn: ") + BRL_PLOT_PYTHON + " cannot be started");
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) throw CommandError(kExitOutput, "plots not drawn: waiting failed");
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        while (!said.empty() && std::isspace(static_cast<unsigned char>(said.back())))
            said.pop_back();
        const std::size_t lastLine = said.find_last_of('\n');
        const std::string reason = said.substr(lastLine == std::string::npos ? 0 : lastLine + 1);
        throw CommandError(kExitOutput,
                           "plots not drawn: " + plotScript + " failed" +
                               (reason.empty() ? "" : " (" + printableText(reason) + ")"));
    }
}
