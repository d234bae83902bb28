#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "host/cli/CommandError.h"
#include "host/cli/commands/EditorCommand.h"
#include "host/cli/commands/InfoCommand.h"
#ifdef BRL_PLXHOST_AUDIO
#include "host/cli/commands/AnalyzeCommand.h"
#include "host/cli/commands/BankCommand.h"
#include "host/cli/commands/BenchCommand.h"
#include "host/cli/commands/ProcessCommand.h"
#include "host/cli/commands/SynthCommand.h"
#endif

namespace {

const char* const kFooter =
    "Exit codes: 0 success, 2 bad command line, 3 plug-in does not load, 4 audio file problem,\n"
    "5 bad parameter, program or bank, 6 output cannot be written. Errors print one line on\n"
    "stderr, and no output file is left half written.";

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

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) return app.exit(error);
        std::fprintf(stderr, "plxhost: %s (see plxhost --help)\n", error.what());
        return kExitUsage;
    }
    try {
        for (const auto& command : commands) {
            if (command->selected()) command->run();
        }
    } catch (const CommandError& error) {
        std::fprintf(stderr, "plxhost: %s\n", error.what());
        return error.code();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "plxhost: out of memory\n");
        return kExitOutput;
    }
    return kExitSuccess;
}
