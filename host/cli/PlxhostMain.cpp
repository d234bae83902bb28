#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "host/cli/CommandError.h"
#include "host/cli/Warnings.h"
#include "host/cli/commands/EditorCommand.h"
#include "host/cli/commands/InfoCommand.h"
#include "host/cli/io/PrintableText.h"
#ifdef BRL_PLXHOST_AUDIO
#include "host/cli/commands/AnalyzeCommand.h"
#include "host/cli/commands/BankCommand.h"
#include "host/cli/commands/BenchCommand.h"
#include "host/cli/commands/ProcessCommand.h"
#include "host/cli/commands/SynthCommand.h"
#endif

namespace {

const char* const kFooter =
    "Exit codes: 0 success, 1 fault of plxhost itself, 2 bad command line, 3 plug-in does not\n"
    "load or gives output that is not finite, 4 audio file problem, 5 bad parameter, program or\n"
    "bank, 6 output cannot be written. Errors print one line on stderr, and no output file is\n"
    "left half written.";

// CLI11 reads a word that names no subcommand as a stray argument and only says that a
// subcommand is required; name the word and the choices instead.
std::string unknownSubcommand(const CLI::App& app, int argc, char** argv) {
    const CLI::App* current = &app;
    for (int i = 1; i < argc && current->get_require_subcommand_min() > 0; ++i) {
        const std::string word = argv[i];
        if (word.empty() || word[0] == '-') continue;
        const CLI::App* chosen = nullptr;
        std::string names;
        for (const CLI::App* sub : current->get_subcommands({})) {
            if (sub->check_name(word)) chosen = sub;
            names += (names.empty() ? "" : ", ") + sub->get_name();
        }
        if (!chosen) return "unknown subcommand '" + word + "'; expected one of " + names;
        current = chosen;
    }
    return "";
}

// Output that never reached stdout (a full disk, a closed descriptor) is a failed command.
bool stdoutWritten() {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    return flushed && !std::ferror(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app(
        "plxhost: loads a plug-in library of the PLX interface through its `main`, shows "
        "what it offers, runs audio files through it, saves and shows program banks, "
        "measures it, and renders its editor.",
        "plxhost");
    app.footer(kFooter);
    app.set_version_flag("--version", "plxhost " BRL_VERSION);
    app.require_subcommand(1);

    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<InfoCommand>(app));
#ifdef BRL_PLXHOST_AUDIO
    commands.push_back(std::make_unique<ProcessCommand>(app));
    commands.push_back(std::make_unique<BankCommand>(app));
    commands.push_back(std::make_unique<AnalyzeCommand>(app));
    commands.push_back(std::make_unique<BenchCommand>(app));
    commands.push_back(std::make_unique<SynthCommand>(app));
#endif
    commands.push_back(std::make_unique<EditorCommand>(app));

    const std::string unknown = unknownSubcommand(app, argc, argv);
    if (!unknown.empty()) {
        std::fprintf(stderr, "plxhost: %s (see plxhost --help)\n", unknown.c_str());
        return kExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) return app.exit(error);
        std::fprintf(stderr, "plxhost: %s (see plxhost --help)\n",
                     printableText(error.what()).c_str());
        return kExitUsage;
    }
    try {
        for (const auto& command : commands) {
            if (command->selected()) command->run();
        }
    } catch (const CommandError& error) {
        std::fprintf(stderr, "plxhost: %s\n", printableText(error.what()).c_str());
        return error.code();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "plxhost: out of memory\n");
        return kExitOutput;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "plxhost: unexpected error: %s\n", error.what());
        return kExitInternal;
    }
    if (!stdoutWritten()) {
        std::fprintf(stderr, "plxhost: cannot write to standard output: %s\n",
                     errno ? std::strerror(errno) : "write error");
        return kExitOutput;
    }
    warnings::print();
    return kExitSuccess;
}
