#include "host/cli/session/PluginSession.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/cli/CommandError.h"
#include "host/cli/session/PluginSettings.h"
#include "shell/Opcodes.h"

namespace {

// Hosts hand out 64-byte name buffers; a generous buffer keeps a careless plug-in inside ours.
constexpr std::size_t kTextBufferSize = 512;
// Sanity bounds on record counts, so a broken record cannot make the host allocate wildly.
constexpr std::int32_t kMaxCount = 4096;
constexpr std::int32_t kMaxChannels = 64;
// Ten seconds at the highest rate: more is a broken record, and compensating it would run
// silence through the plug-in for hours.
constexpr std::int32_t kMaxLatency = 7680000;
// No bank of a plug-in comes near this; a larger size is a broken answer, not a chunk.
constexpr PlxIntPtr kMaxChunkBytes = PlxIntPtr{1} << 26;

std::int32_t bounded(std::int32_t value, std::int32_t limit) {
    return std::clamp(value, std::int32_t{0}, limit);
}

std::string lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The number a display text shows, if it shows one.
std::optional<double> shownNumber(const std::string& text) {
    const char* start = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if (end == start || !std::isfinite(value)) return std::nullopt;
    while (*end == ' ') ++end;
    if (*end != '\0') return std::nullopt;
    return value;
}

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

PluginSession::PluginSession(const std::string& path) : library(std::make_shared<PluginLibrary>()) {
    struct stat file;
    if (stat(path.c_str(), &file) != 0) {
        throw CommandError(kExitPlugin, "plug-in " + path + ": no such file");
    }
    if (S_ISDIR(file.st_mode)) {
        throw CommandError(kExitPlugin, "plug-in " + path + ": is a directory");
    }
    std::string error;
    if (!library->load(path, error)) {
        throw CommandError(kExitPlugin, "cannot load plug-in " + path + ": " + error);
    }
    createInstance();
}

PluginSession::PluginSession(std::shared_ptr<PluginLibrary> shared) : library(std::move(shared)) {
    createInstance();
}

PluginSession::~PluginSession() {
    if (running) stop();
    instance.reset();
}

void PluginSession::createInstance() {
    instance = std::make_unique<PluginInstance>(*library);
    if (!instance->create()) {
        throw CommandError(kExitPlugin, library->path() + ": " + instance->refusal());
    }
    instance->dispatch(opOpen);
}

std::unique_ptr<PluginSession> PluginSession::openAnother() const {
    return std::unique_ptr<PluginSession>(new PluginSession(library));
}

std::int32_t PluginSession::parameterCount() const {
    return bounded(record().parameterCount, kMaxCount);
}
std::int32_t PluginSession::programCount() const {
    return bounded(record().programCount, kMaxCount);
}
std::int32_t PluginSession::inputCount() const {
    return bounded(record().inputCount, kMaxChannels);
}
std::int32_t PluginSession::outputCount() const {
    return bounded(record().outputCount, kMaxChannels);
}

std::string PluginSession::readText(std::int32_t opcode, std::int32_t index) {
    char text[kTextBufferSize] = {};
    instance->dispatch(opcode, index, 0, text);
    text[kTextBufferSize - 1] = '\0';
    return text;
}

std::string PluginSession::parameterName(std::int32_t index) {
    return readText(opGetParameterName, index);
}
std::string PluginSession::parameterUnit(std::int32_t index) {
    return readText(opGetParameterUnit, index);
}
std::string PluginSession::parameterDisplay(std::int32_t index) {
    return readText(opGetParameterText, index);
}
float PluginSession::normalizedValue(std::int32_t index) { return instance->getParameter(index); }
void PluginSession::setNormalizedValue(std::int32_t index, float normalized) {
    instance->setParameter(index, normalized);
}

std::vector<ParameterInfo> PluginSession::describeParameters() {
    std::unique_ptr<PluginSession> probe = openAnother();
    std::vector<ParameterInfo> parameters;
    for (std::int32_t i = 0; i < parameterCount(); ++i) {
        ParameterInfo info;
        info.index = i;
        info.name = parameterName(i);
        info.unit = parameterUnit(i);
        info.display = parameterDisplay(i);
        info.normalized = normalizedValue(i);
        if (i < probe->parameterCount()) {
            probe->setNormalizedValue(i, 0.0f);
            info.minimum = shownNumber(probe->parameterDisplay(i));
            probe->setNormalizedValue(i, 1.0f);
            info.maximum = shownNumber(probe->parameterDisplay(i));
        }
        parameters.push_back(info);
    }
    return parameters;
}

std::optional<std::int32_t> PluginSession::parameterNamed(const std::string& name) {
    std::optional<std::int32_t> folded;
    int foldedMatches = 0;
    for (std::int32_t i = 0; i < parameterCount(); ++i) {
        const std::string candidate = parameterName(i);
        if (candidate == name) return i;
        if (lowercase(candidate) == lowercase(name)) {
            folded = i;
            ++foldedMatches;
        }
    }
    return foldedMatches == 1 ? folded : std::nullopt;
}

std::int32_t PluginSession::findParameter(const std::string& name) {
    if (std::optional<std::int32_t> index = parameterNamed(name)) return *index;
    std::string names;
    for (std::int32_t i = 0; i < parameterCount(); ++i) {
        const std::string candidate = parameterName(i);
        if (!candidate.empty()) names += (names.empty() ? "" : ", ") + candidate;
    }
    if (names.empty()) {
        throw CommandError(kExitSetting, "unknown parameter '" + name +
                                             "': the plug-in names none of its " +
                                             std::to_string(parameterCount()) + " parameters");
    }
    throw CommandError(kExitSetting, "unknown parameter '" + name + "'; valid names: " + names);
}

double PluginSession::setPlainValue(const ParameterInfo& parameter, double plain) {
    const std::int32_t index = parameter.index;
    if (!parameter.minimum || !parameter.maximum || *parameter.minimum == *parameter.maximum) {
        throw CommandError(kExitSetting, "parameter " + parameter.name +
                                             " shows no numeric range; it cannot be set by value");
    }
    const double first = *parameter.minimum;
    const double last = *parameter.maximum;
    const double low = std::min(first, last);
    const double high = std::max(first, last);
    const double tolerance = 1e-4 * (high - low);
    if (!std::isfinite(plain) || plain < low - tolerance || plain > high + tolerance) {
        throw CommandError(kExitSetting, parameter.name + "=" + formatNumber(plain) +
                                             " is outside its range " + formatNumber(low) + " to " +
                                             formatNumber(high) +
                                             (parameter.unit.empty() ? "" : " " + parameter.unit));
    }
    auto shownAt = [&](double normalized) {
        setNormalizedValue(index, static_cast<float>(normalized));
        return shownNumber(parameterDisplay(index)).value_or(first);
    };
    // Most plug-ins map linearly; for any other monotonic mapping, bisect on the shown value.
    const double linear = std::clamp((plain - first) / (last - first), 0.0, 1.0);
    double best = linear;
    double bestShown = shownAt(linear);
    if (std::fabs(bestShown - plain) > tolerance) {
        const double direction = last > first ? 1.0 : -1.0;
        double below = 0.0;
        double above = 1.0;
        for (int step = 0; step < 40; ++step) {
            const double middle = 0.5 * (below + above);
            if ((shownAt(middle) - plain) * direction < 0.0) {
                below = middle;
            } else {
                above = middle;
            }
        }
        for (double candidate : {below, above}) {
            const double shown = shownAt(candidate);
            if (std::fabs(shown - plain) < std::fabs(bestShown - plain)) {
                best = candidate;
                bestShown = shown;
            }
        }
    }
    return shownAt(best);
}

std::int32_t PluginSession::currentProgram() {
    return static_cast<std::int32_t>(instance->dispatch(opGetProgram));
}

void PluginSession::selectProgram(std::int64_t program) {
    if (program < 0 || program >= programCount()) {
        const std::int32_t count = programCount();
        throw CommandError(kExitSetting,
                           "program " + std::to_string(program) +
                               " does not exist; the plug-in has " + std::to_string(count) +
                               " programs" +
                               (count > 0 ? " (0 to " + std::to_string(count - 1) + ")" : ""));
    }
    instance->dispatch(opSetProgram, 0, static_cast<PlxIntPtr>(program));
}

std::string PluginSession::currentProgramName() { return readText(opGetProgramName, 0); }

std::vector<std::string> PluginSession::programNames() {
    const std::int32_t selected = currentProgram();
    std::vector<std::string> names;
    for (std::int32_t program = 0; program < programCount(); ++program) {
        instance->dispatch(opSetProgram, 0, program);
        names.push_back(currentProgramName());
    }
    if (selected >= 0 && selected < programCount()) instance->dispatch(opSetProgram, 0, selected);
    return names;
}

std::vector<unsigned char> PluginSession::stateChunk(bool currentProgramOnly) {
    void* data = nullptr;
    const PlxIntPtr size = instance->dispatch(opGetStateData, currentProgramOnly ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    if (size > kMaxChunkBytes) {
        throw CommandError(kExitPlugin, library->path() + ": the plug-in hands out a chunk of " +
                                            std::to_string(size) + " bytes");
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
}

void PluginSession::loadBankFile(const std::string& path) {
    requireBanks("bank " + path);
    const std::size_t size = stateChunk(false).size();
    loadBank(PluginSettings::readBank(
                 path, size, "a bank of this plug-in is " + std::to_string(size) + " bytes"),
             "bank " + path);
}

void PluginSession::requireBanks(const std::string& origin) const {
    if (!hasFlag(kFlagStateData)) {
        throw CommandError(kExitSetting, "the plug-in does not exchange its programs as a bank; " +
                                             origin + " cannot be loaded");
    }
}

void PluginSession::loadBank(const std::vector<unsigned char>& bank, const std::string& origin) {
    requireBanks(origin);
    const std::size_t expected = stateChunk(false).size();
    if (bank.size() != expected) {
        throw CommandError(kExitSetting, origin + " is " + std::to_string(bank.size()) +
                                             " bytes; a bank of this plug-in is " +
                                             std::to_string(expected) + " bytes");
    }
    std::vector<unsigned char> copy = bank;
    instance->dispatch(opSetStateData, 0, static_cast<PlxIntPtr>(copy.size()), copy.data());
}

std::int32_t PluginSession::category() {
    return static_cast<std::int32_t>(instance->dispatch(opGetCategory));
}

std::string PluginSession::vendorName() { return readText(opGetVendorName, 0); }

std::int32_t PluginSession::interfaceVersion() {
    return static_cast<std::int32_t>(instance->dispatch(opGetInterfaceVersion));
}

void PluginSession::start(double sampleRate, std::int32_t blockSize) {
    if (running) stop();
    instance->dispatch(opSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    instance->dispatch(opSetBlockSize, 0, blockSize);
    instance->dispatch(opSetActive, 0, 1);
    running = true;
}

void PluginSession::stop() {
    instance->dispatch(opSetActive, 0, 0);
    running = false;
}

std::int32_t PluginSession::latency() const {
    const std::int32_t samples = std::max(record().latency, 0);
    if (samples > kMaxLatency) {
        throw CommandError(kExitPlugin, library->path() + ": the plug-in reports a latency of " +
                                            std::to_string(samples) + " samples");
    }
    return samples;
}
