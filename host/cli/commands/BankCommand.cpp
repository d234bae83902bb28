#include "host/cli/commands/BankCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>

#include "host/cli/CommandError.h"
#include "host/cli/io/OutputFile.h"
#include "host/cli/io/PrintableText.h"
#include "host/cli/session/BankLayout.h"
#include "host/cli/session/PluginSession.h"

namespace {

std::string formatValue(const BankLayout::Column& column, double value, bool invalid) {
    char text[32];
    if (invalid) {
        std::snprintf(text, sizeof text, "%g!", value);
        return text;
    }
    if (column.onOff) return value >= 0.5 ? "on" : "off";
    if (column.wholeSteps) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        std::snprintf(text, sizeof text, "%.1f", value);
    }
    return text;
}

// Prints rows under a header of names and one of units, each column as wide as it needs.
void printTable(const std::vector<std::string>& names, const std::vector<std::string>& units,
                const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths(names.size());
    for (std::size_t c = 0; c < names.size(); ++c) {
        widths[c] = std::max(names[c].size(), units[c].size());
        for (const auto& row : rows) widths[c] = std::max(widths[c], row[c].size());
    }
    auto printRow = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            std::string cell = cells[c];
            // Text columns (number and name) to the left, values to the right.
            if (c < 2) {
                cell.resize(widths[c], ' ');
            } else {
                cell.insert(0, widths[c] - cell.size(), ' ');
            }
            line += (c ? "  " : "") + cell;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        std::printf("%s\n", line.c_str());
    };
    printRow(names);
    printRow(units);
    for (const auto& row : rows) printRow(row);
}

}  // namespace

BankCommand::BankCommand(CLI::App& app) {
    command = app.add_subcommand("bank", "Save a plug-in's program bank or show a bank file");
    command->require_subcommand(1);
    saveCommand = command->add_subcommand(
        "save", "Write the plug-in's bank (all programs, as the plug-in saves it) to FILE");
    saveCommand->add_option("PLUGIN", pluginPath, "Plug-in library")->required();
    saveCommand->add_option("FILE", bankPath, "Bank file to write")->required();
    settings.addOptions(*saveCommand);
    showCommand = command->add_subcommand(
        "show", "Print a bank file: program names and every parameter's plain value");
    showCommand->add_option("FILE", bankPath, "Bank file to read")->required();
    showCommand->add_option("--plugin", pluginPath,
                            "Decode through this plug-in (any plug-in of the interface) instead "
                            "of the built-in Brillianteer layout");
}

bool BankCommand::selected() const { return command->parsed(); }

void BankCommand::run() {
    if (saveCommand->parsed()) {
        save();
    } else if (!pluginPath.empty()) {
        showThroughPlugin();
    } else {
        show();
    }
}

void BankCommand::save() {
    PluginSession session(pluginPath);
    if (!session.hasFlag(kFlagStateData)) {
        throw CommandError(kExitSetting, "the plug-in does not save its programs as a bank");
    }
    settings.applyTo(session);
    const std::vector<unsigned char> bank = session.stateChunk(false);
    if (bank.empty()) throw CommandError(kExitSetting, "the plug-in handed out an empty bank");
    OutputFile::writeAll(bankPath, bank.data(), bank.size());
}

void BankCommand::show() {
    const BankLayout layout;
    const std::vector<BankLayout::Program> programs =
        layout.decode(PluginSettings::readBank(bankPath, layout.bankSize(), layout.sizeRule()),
                      "bank " + bankPath);
    const std::vector<BankLayout::Column>& columns = layout.columns();
    std::vector<std::string> names = {"#", "name"};
    std::vector<std::string> units = {"", ""};
    for (const BankLayout::Column& column : columns) {
        names.push_back(column.name);
        units.push_back(column.unit);
    }
    std::vector<std::vector<std::string>> rows;
    int invalid = 0;
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::vector<std::string> row = {std::to_string(p), programs[p].name};
        for (std::size_t c = 0; c < columns.size(); ++c) {
            row.push_back(formatValue(columns[c], programs[p].values[c], programs[p].invalid[c]));
            invalid += programs[p].invalid[c] ? 1 : 0;
        }
        rows.push_back(row);
    }
    std::printf("%s: %zu programs of %zu bytes\n", printableText(bankPath).c_str(), programs.size(),
                layout.programSize());
    printTable(names, units, rows);
    if (invalid > 0) {
        std::printf(
            "%d stored value%s marked ! %s not finite or outside 0..1, as the plug-in never "
            "writes; it loads the nearest value in range instead (the default for one not "
            "finite)\n",
            invalid, invalid == 1 ? "" : "s", invalid == 1 ? "is" : "are");
    }
}

void BankCommand::showThroughPlugin() {
    PluginSession session(pluginPath);
    session.loadBankFile(bankPath);
    std::vector<std::string> names = {"#", "name"};
    std::vector<std::string> units = {"", ""};
    for (std::int32_t i = 0; i < session.parameterCount(); ++i) {
        names.push_back(printableText(session.parameterName(i)));
        units.push_back(printableText(session.parameterUnit(i)));
    }
    std::vector<std::vector<std::string>> rows;
    for (std::int32_t p = 0; p < session.programCount(); ++p) {
        session.selectProgram(p);
        std::vector<std::string> row = {std::to_string(p),
                                        printableText(session.currentProgramName())};
        for (std::int32_t i = 0; i < session.parameterCount(); ++i) {
            std::string shown = session.parameterDisplay(i);
            shown.erase(0, shown.find_first_not_of(' '));
            row.push_back(printableText(shown));
        }
        rows.push_back(row);
    }
    std::printf("%s through %s: %d programs\n", printableText(bankPath).c_str(),
                printableText(pluginPath).c_str(), session.programCount());
    printTable(names, units, rows);
}
