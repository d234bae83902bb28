#include "host/cli/commands/EditorCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>

#include "host/cli/CommandError.h"
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

struct Point2 {
    int x;
    int y;
};

Point2 parsePoint(const std::string& text, const std::string& option) {
    int x = 0;
    int y = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%d,%d%c", &x, &y, &end) != 2)
        throw CommandError(kExitUsage, option + " " + text + ": expected X,Y in pixels");
    return {x, y};
}

// Idle passes with the clock moving, as a host's timer would call them, then the picture.
void idleAndRefresh(PluginSession& session, EditorScreen& screen, int passes = 4) {
    for (int i = 0; i < passes; ++i) {
        screen.refresh();
        session.plugin().dispatch(opEditorIdle);
        screen.advanceTime(50);
    }
    screen.refresh();
}

// "png" or "bmp" by the name's extension; PNG when it has neither.
std::string pictureFormat(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "bmp" ? "bmp" : "png";
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
    float left = 0.0f;
    float right = 0.0f;
    if (std::sscanf(meters.c_str(), "%f,%f", &left, &right) != 2 || !std::isfinite(left) ||
        !std::isfinite(right) || left > 0.0f || right > 0.0f)
        throw CommandError(kExitUsage, "--meters " + meters + ": expected L,R in dBFS, at most 0");
    return std::make_pair(left, right);
}

}  // namespace

namespace {

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
    const std::optional<std::pair<float, float>> toneDb = parseMeters(meters);
    PluginSession session(pluginPath);
    if (!session.hasFlag(kFlagHasEditor))
        throw CommandError(kExitPlugin, pluginPath + ": the plug-in has no editor");
    settings.applyTo(session);

    EditorRect* size = nullptr;
    session.plugin().dispatch(opEditorGetRect, 0, 0, &size);
    if (!size || size->right - size->left <= 0 || size->bottom - size->top <= 0)
        throw CommandError(kExitPlugin, pluginPath + ": the editor reports no size");
    const int width = size->right - size->left;
    const int height = size->bottom - size->top;
    std::unique_ptr<EditorScreen> screen =
        window ? EditorScreen::createWindow(width, height) : EditorScreen::create(width, height);
    const std::string format = pictureFormat(outputPath);
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
            const Point2 p = parsePoint(clicks[click++], "--click");
            screen->click(p.x, p.y);
        } else if (option->get_name() == "--drag" && drag < drags.size()) {
            const std::string& fromTo = drags[drag++];
            const std::size_t colon = fromTo.find(':');
            if (colon == std::string::npos)
                throw CommandError(kExitUsage, "--drag " + fromTo + ": expected X1,Y1:X2,Y2");
            const Point2 from = parsePoint(fromTo.substr(0, colon), "--drag");
            const Point2 to = parsePoint(fromTo.substr(colon + 1), "--drag");
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

    std::printf("editor     %d x %d pixels, written to %s\n", size->right - size->left,
                size->bottom - size->top, outputPath.c_str());
    report(session, requests);
}
