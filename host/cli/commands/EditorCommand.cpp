#include "host/cli/commands/EditorCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

#include "host/cli/CommandError.h"
#include "host/cli/commands/NumberOptions.h"
#include "host/cli/io/OutputFile.h"
#include "host/cli/screens/EditorScreen.h"
#include "host/cli/session/OfflineRenderer.h"
#include "host/cli/session/PluginSession.h"
#include "shell/EditorBase.h"
#include "shell/Opcodes.h"

namespace {

constexpr double kRate = 44100.0;
constexpr double kTwoPi = 6.283185307179586;
constexpr std::int32_t kBlock = 512;
// Where a person clicks to open the about screen: the logo at the top left.
constexpr int kAboutX = 50;
constexpr int kAboutY = 25;

// Idle passes with the clock moving, as a host's timer would call them, then the picture.
void idleAndRefresh(PluginSession& session, EditorScreen& screen, int passes = 4) {
    for (int i = 0; i < passes; ++i) {
        screen.refresh();
        session.plugin().dispatch(opEditorIdle);
        screen.advanceTime(50);
    }
    screen.refresh();
}

// Larger than any screen: a plug-in asking for more is broken, and the pixels would not fit.
constexpr int kLargestEditorSide = 16384;

// "png" or "bmp" by the name's extension; any other name is refused rather than given bytes
// its extension does not promise.
std::string pictureFormat(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string extension = hasExtension ? path.substr(dot + 1) : "";
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != "png" && extension != "bmp") {
        throw CommandError(kExitUsage, path + ": unknown picture format" +
                                           (hasExtension ? " ." + extension : " (no extension)") +
                                           "; name a .png or .bmp file");
    }
    return extension;
}

// "X1,Y1:X2,Y2"
std::pair<number_options::Point, number_options::Point> dragPoints(const std::string& fromTo) {
    const std::size_t colon = fromTo.find(':');
    if (colon == std::string::npos)
        throw CommandError(kExitUsage, "--drag " + fromTo + ": expected X1,Y1:X2,Y2");
    return {number_options::point(fromTo.substr(0, colon), "--drag"),
            number_options::point(fromTo.substr(colon + 1), "--drag")};
}

// A 1 kHz sine with the given peaks in dBFS, played through the plug-in block by block so that
// the editor's meters have levels to read.
class Tone {
public:
    Tone(PluginSession& session, float leftDb, float rightDb)
        : gains{std::pow(10.0f, leftDb / 20.0f), std::pow(10.0f, rightDb / 20.0f)},
          renderer(session, kBlock,
                   session.hasFlag(kFlagOverwriting) ? ProcessMode::replacing
                                                     : ProcessMode::accumulating) {}

    void playBlock() {
        std::vector<std::vector<float>>& inputs = renderer.inputs();
        for (std::size_t c = 0; c < inputs.size(); ++c) {
            for (std::int32_t n = 0; n < kBlock; ++n) {
                const double phase = kTwoPi * 1000.0 * static_cast<double>(position + n) / kRate;
                inputs[c][n] = gains[c % 2] * static_cast<float>(std::sin(phase));
            }
        }
        position += kBlock;
        renderer.processBlock(kBlock);
    }
    double secondsPlayed() const { return static_cast<double>(position) / kRate; }

private:
    float gains[2];
    OfflineRenderer renderer;
    std::int64_t position = 0;
};

// Runs the tone for 40 blocks, idling in between so that the editor asks for and reads the
// output levels.
void playTone(PluginSession& session, EditorScreen& screen, Tone& tone) {
    for (int block = 0; block < 40; ++block) {
        tone.playBlock();
        if (block % 4 == 3) idleAndRefresh(session, screen, 1);
    }
}

std::vector<std::string> parameterNames(PluginSession& session) {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < session.parameterCount(); ++i)
        names.push_back(session.parameterName(i));
    return names;
}

// Prints a parameter change or an edit bracket; false for any other request.
bool printRequest(const std::vector<std::string>& names, const HostRequest& request) {
    if (request.opcode == hostAutomate) {
        const bool known = request.index >= 0 && request.index < static_cast<int>(names.size());
        std::printf("set        %-8s %.6f\n", known ? names[request.index].c_str() : "?",
                    request.opt);
    } else if (request.opcode == hostRequestBeginEdit) {
        std::printf("begin edit %d\n", request.index);
    } else if (request.opcode == hostRequestEndEdit) {
        std::printf("end edit   %d\n", request.index);
    } else {
        return false;
    }
    return true;
}

void report(PluginSession& session, const std::vector<HostRequest>& requests) {
    const std::vector<std::string> names = parameterNames(session);
    int others = 0;
    for (const HostRequest& request : requests) {
        if (!printRequest(names, request)) ++others;
    }
    std::printf("%d other request%s (idle, time, ...)\n", others, others == 1 ? "" : "s");
}

std::optional<std::pair<float, float>> parseMeters(const std::string& meters) {
    if (meters.empty()) return std::nullopt;
    const std::string expected = "expected L,R in dBFS, at most 0";
    const number_options::Pair peaks = number_options::pair(meters, "--meters", expected);
    if (peaks.first > 0.0 || peaks.second > 0.0)
        throw CommandError(kExitUsage, "--meters " + meters + ": " + expected);
    return std::make_pair(static_cast<float>(peaks.first), static_cast<float>(peaks.second));
}

void writePicture(EditorScreen& screen, OutputFile& output, const std::string& outputPath,
                  const std::string& format) {
    // The picture writers open the file by name, which Windows refuses while it is held open.
    ::close(output.releaseDescriptor());
    if (!screen.writePicture(output.temporaryFile(), format))
        throw CommandError(kExitOutput, outputPath + ": cannot write the picture");
    output.commit();
}

void showToAPerson(PluginSession& session, EditorScreen& screen, int width, int height,
                   std::optional<Tone>& tone) {
    const std::vector<std::string> names = parameterNames(session);
    // Changes are printed the moment the plug-in sends them, also from inside a drag.
    session.plugin().setAnswerFunction([&names](const HostRequest& request, PlxIntPtr&) {
        if (printRequest(names, request)) std::fflush(stdout);
        return false;
    });
    std::printf("editor     %d x %d pixels in a window; close it to end\n", width, height);
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    screen.showUntilClosed([&] {
        session.plugin().dispatch(opEditorIdle);
        if (tone) {
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            // Keep up with real time, but never more than a few blocks at one idle.
            for (int i = 0; i < 8 && tone->secondsPlayed() < elapsed.count(); ++i)
                tone->playBlock();
        }
        session.plugin().clearRequests();
    });
    session.plugin().setAnswerFunction(nullptr);
}

}  // namespace

EditorCommand::EditorCommand(CLI::App& app) {
    command = app.add_subcommand(
        "editor", "Open the plug-in's editor, click, drag and type in it, save its picture");
    command->add_option("PLUGIN", pluginPath, "Plug-in library")->required();
    command->add_option("OUT", outputPath,
                        "PNG file to write (with --window: optional, the last picture shown)");
    command->add_flag("--window", window,
                      "Show the editor in a window for you to use until you close it, printing "
                      "each change as it happens");
    settings.addOptions(*command);
    command->add_option("--meters", meters,
                        "Play a 1 kHz sine with these input peaks in dBFS (L,R) first; with "
                        "--window, all along");
    command->add_option("--click", clicks, "Click the left button at X,Y");
    command->add_option("--drag", drags, "Drag with the left button from X1,Y1 to X2,Y2");
    command->add_option("--type", texts, "Type TEXT into the open number field and press Enter");
    command->add_flag("--about", about, "Open the about screen last");
}

bool EditorCommand::selected() const { return command->parsed(); }

void EditorCommand::run() {
    if (window && (!clicks.empty() || !drags.empty() || !texts.empty() || about))
        throw CommandError(kExitUsage,
                           "--click, --drag, --type and --about play a script; with --window the "
                           "mouse and keys are yours");
    if (!window && outputPath.empty())
        throw CommandError(kExitUsage, "OUT is required: name the picture to write");
    std::string format;
    if (!outputPath.empty()) {
        OutputFile::refuseDirectory(outputPath);
        format = pictureFormat(outputPath);
    }
    // Every action is read before the plug-in loads, so a typing mistake costs nothing.
    for (const std::string& click : clicks) number_options::point(click, "--click");
    for (const std::string& fromTo : drags) dragPoints(fromTo);
    const std::optional<std::pair<float, float>> toneDb = parseMeters(meters);
    PluginSession session(pluginPath);
    if (!session.hasFlag(kFlagHasEditor))
        throw CommandError(kExitPlugin, pluginPath + ": the plug-in has no editor");
    settings.applyTo(session);

    EditorRect* size = nullptr;
    session.plugin().dispatch(opEditorGetRect, 0, 0, &size);
    if (!size) throw CommandError(kExitPlugin, pluginPath + ": the editor reports no size");
    const std::int64_t wide = std::int64_t{size->right} - size->left;
    const std::int64_t high = std::int64_t{size->bottom} - size->top;
    if (wide <= 0 || high <= 0 || wide > kLargestEditorSide || high > kLargestEditorSide)
        throw CommandError(kExitPlugin, pluginPath + ": the editor reports a size of " +
                                            std::to_string(wide) + " x " + std::to_string(high) +
                                            " pixels");
    const int width = static_cast<int>(wide);
    const int height = static_cast<int>(high);
    std::unique_ptr<EditorScreen> screen =
        window ? EditorScreen::createWindow(width, height) : EditorScreen::create(width, height);
    if (!outputPath.empty() && !screen->canWrite(format))
        throw CommandError(kExitUsage, outputPath + ": this build writes no " + format +
                                           " pictures; name a .bmp file");
    std::optional<OutputFile> output;
    if (!outputPath.empty()) output.emplace(outputPath);
    session.start(kRate, kBlock);
    if (!session.plugin().dispatch(opEditorOpen, 0, 0, screen->parentWindow()) ||
        !screen->holdsEditor())
        throw CommandError(kExitPlugin, pluginPath + ": the editor does not open");
    idleAndRefresh(session, *screen);
    std::optional<Tone> tone;
    if (toneDb) tone.emplace(session, toneDb->first, toneDb->second);

    if (window) {
        showToAPerson(session, *screen, width, height, tone);
        if (output) writePicture(*screen, *output, outputPath, format);
        session.plugin().dispatch(opEditorClose);
        session.stop();
        std::printf("closed\n");
        return;
    }

    if (tone) playTone(session, *screen, *tone);

    session.plugin().clearRequests();
    std::size_t click = 0;
    std::size_t drag = 0;
    std::size_t text = 0;
    // The actions run in the order they stand on the command line.
    for (CLI::Option* option : command->parse_order()) {
        if (option->get_name() == "--click" && click < clicks.size()) {
            const number_options::Point p = number_options::point(clicks[click++], "--click");
            screen->click(p.x, p.y);
        } else if (option->get_name() == "--drag" && drag < drags.size()) {
            const auto [from, to] = dragPoints(drags[drag++]);
            screen->drag(from.x, from.y, to.x, to.y);
        } else if (option->get_name() == "--type" && text < texts.size()) {
            screen->type(texts[text++]);
        } else {
            continue;
        }
        idleAndRefresh(session, *screen, 2);
    }
    if (about) screen->click(kAboutX, kAboutY);
    idleAndRefresh(session, *screen);
    const std::vector<HostRequest> requests = session.plugin().requests();

    writePicture(*screen, *output, outputPath, format);
    session.plugin().dispatch(opEditorClose);
    session.stop();

    std::printf("editor     %d x %d pixels, written to %s\n", width, height, outputPath.c_str());
    report(session, requests);
}
