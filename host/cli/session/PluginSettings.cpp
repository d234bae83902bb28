#include "host/cli/session/PluginSettings.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "host/cli/CommandError.h"
#include "host/cli/Warnings.h"
#include "host/cli/io/RegularFile.h"
#include "host/cli/session/PluginSession.h"

namespace {

std::string lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

double PluginSettings::parseValue(const ParameterInfo& parameter, const std::string& text) {
    const std::string word = lowercase(trimmed(text));
    const bool hasRange = parameter.minimum && parameter.maximum;
    if (hasRange && (word == "on" || word == "true" || word == "yes")) return *parameter.maximum;
    if (hasRange && (word == "off" || word == "false" || word == "no")) return *parameter.minimum;
    const char* start = word.c_str();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    const std::string rest = trimmed(end);
    if (end == start || (!rest.empty() && rest != lowercase(parameter.unit))) {
        throw CommandError(kExitSetting, parameter.name + "=" + text + ": not a number");
    }
    return value;
}

std::pair<std::string, std::string> PluginSettings::splitAssignment(const std::string& assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) {
        throw CommandError(kExitSetting,
                           "--set " + assignment + ": expected NAME=VALUE, e.g. Freq=5000");
    }
    return {trimmed(assignment.substr(0, equals)), assignment.substr(equals + 1)};
}

void PluginSettings::addOptions(CLI::App& command, bool withBank) {
    if (withBank) {
        command.add_option("--bank", bankPath, "Bank file to load first (as written by bank save)");
    }
    command.add_option("--program", program, "Program to select, 0-based, after the bank");
    command.add_option("--set", assignments,
                       "NAME=VALUE in the plug-in's plain units (e.g. Freq=5000, InGain=-3, "
                       "Solo=on); applied last, in order");
}

std::vector<unsigned char> PluginSettings::readBank(const std::string& path, std::size_t size,
                                                    const std::string& sizeRule) {
    RegularFile file(path, "bank " + path, kExitSetting);
    if (file.size() != static_cast<std::int64_t>(size)) {
        throw CommandError(kExitSetting, "bank " + path + " is " + std::to_string(file.size()) +
                                             " bytes; " + sizeRule);
    }
    return file.readAll();
}

double PluginSettings::applyOne(PluginSession& session, const std::string& name,
                                const std::string& value) {
    const std::int32_t index = session.findParameter(name);
    const std::vector<ParameterInfo> parameters = session.describeParameters();
    const ParameterInfo& parameter = parameters.at(static_cast<std::size_t>(index));
    const double wanted = parseValue(parameter, value);
    const double shown = session.setPlainValue(parameter, wanted);
    const double range = std::fabs(parameter.maximum.value_or(0) - parameter.minimum.value_or(0));
    if (std::fabs(shown - wanted) > 1e-4 * range) {
        char shownText[32];
        std::snprintf(shownText, sizeof shownText, "%g", shown);
        warnings::add("note: " + parameter.name + "=" + value +
                      " is not a value the plug-in offers; set to " + shownText +
                      (parameter.unit.empty() ? "" : " " + parameter.unit));
    }
    return shown;
}

void PluginSettings::applyTo(PluginSession& session) const {
    if (!bankPath.empty()) session.loadBankFile(bankPath);
    if (program) session.selectProgram(*program);
    for (const std::string& assignment : assignments) {
        const auto [name, value] = splitAssignment(assignment);
        applyOne(session, name, value);
    }
}
