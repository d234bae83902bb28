#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"

// One host-visible parameter as the plug-in describes it through the dispatcher.
struct ParameterInfo {
    std::int32_t index = 0;
    std::string name;
    std::string unit;
    std::string display;  // the plug-in's text for the current value
    float normalized = 0.0f;
    // The plain values the plug-in shows at normalised 0 and 1; absent when it shows no number.
    std::optional<double> minimum;
    std::optional<double> maximum;
};

// A plug-in library loaded for the command line and one instance of it, created through `main`
// and driven only through the record: dispatcher opcodes, the parameter functions and the two
// process functions. Works with any plug-in of the interface.
class PluginSession {
public:
    // Loads the library and creates the instance; throws CommandError when either fails.
    explicit PluginSession(const std::string& path);
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    // A second, independent instance of the same library, for probing without touching this one.
    std::unique_ptr<PluginSession> openAnother() const;

    const std::string& path() const { return library->path(); }
    const EffectRecord& record() const { return *instance->record(); }
    PluginInstance& plugin() { return *instance; }

    std::int32_t parameterCount() const;
    std::int32_t programCount() const;
    std::int32_t inputCount() const;
    std::int32_t outputCount() const;
    bool hasFlag(std::int32_t flag) const { return (record().flags & flag) != 0; }

    std::string parameterName(std::int32_t index);
    std::string parameterUnit(std::int32_t index);
    std::string parameterDisplay(std::int32_t index);
    float normalizedValue(std::int32_t index);
    void setNormalizedValue(std::int32_t index, float normalized);
    // Every parameter with its plain range, probed on a separate instance.
    std::vector<ParameterInfo> describeParameters();
    // The index of the parameter with this name (exact, else unique case-insensitive match);
    // throws CommandError listing the valid names.
    std::int32_t findParameter(const std::string& name);
    std::optional<std::int32_t> parameterNamed(const std::string& name);
    // Sets a parameter from a value in the plug-in's plain units; throws CommandError with the
    // range when the value lies outside it. Answers the plain value the plug-in shows afterwards.
    double setPlainValue(const ParameterInfo& parameter, double plain);

    std::int32_t currentProgram();
    // Throws CommandError for a number the plug-in does not have.
    void selectProgram(std::int64_t program);
    std::string currentProgramName();
    // The names of all programs; the current program is selected again afterwards.
    std::vector<std::string> programNames();

    // The plug-in's chunk for the whole bank (index 0) or the current program (index 1).
    std::vector<unsigned char> stateChunk(bool currentProgramOnly);
    // Throws CommandError when the plug-in takes no chunks or the size is not its bank's.
    void loadBank(const std::vector<unsigned char>& bank, const std::string& origin);
    // Reads a bank file of the plug-in's bank size and loads it; throws CommandError as above,
    // and before reading a byte when the file is no regular file of that size.
    void loadBankFile(const std::string& path);

    std::int32_t category();
    std::string vendorName();
    std::int32_t interfaceVersion();

    // Announces rate and block size and switches the plug-in on (opcodes 10, 11, 12).
    void start(double sampleRate, std::int32_t blockSize);
    void stop();
    bool isRunning() const { return running; }
    // The record's latency in samples, never negative; throws CommandError (plug-in) for one
    // beyond any real plug-in's.
    std::int32_t latency() const;

private:
    PluginSession(std::shared_ptr<PluginLibrary> library);
    void createInstance();
    std::string readText(std::int32_t opcode, std::int32_t index);
    void requireBanks(const std::string& origin) const;

    std::shared_ptr<PluginLibrary> library;
    std::unique_ptr<PluginInstance> instance;
    bool running = false;
};
