#include "host/cli/commands/EditorCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
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

// Runs a 1 kHz sine with the given peaks through the plug-in, idling in between so that the
// editor asks for and reads the output levels.
void playTone(PluginSession& session, EditorScreen& screen, float leftDb, float rightDb) {
    const float gains[2] = {std::pow(10.0f, leftDb / 20.0f), std::pow(10.0f, rightDb / 20.0f)};
    OfflineRenderer renderer(
        session, kBlock,
        session.hasFlag(kFlagOverwriting) ? ProcessMode::replacing : ProcessMode::accumulating);
    std::int64_t position = 0;
    for (int block = 0; block < 40; ++block) {
        std::vector<std::vector<float>>& inputs = renderer.inputs();
        for (std::size_t c = 0; c < inputs.size(); ++c) {
            for (std::int32_t n = 0; n < kBlock; ++n) {
                const double phase = kTwoPi * 1000.0 * static_cast<double>(position + n) / kRate;
                inputs[c][n] = gains[c % 2] * static_cast<float>(std::sin(phase));
            }
        }
        position += kBlock;
        renderer.processBlock(kBlock);
        if (block % 4 == 3) idleAndRefresh(session, screen, 1);
    }
}

void report(PluginSession& session, const std::vector<HostRequest>& requests) {
    int others = 0;
    for (const HostRequest& request : requests) {
        if (request.opcode == hostAutomate) {
            std::printf("set        %-8s %.6f\n", session.parameterName(request.index).c_str(),
                        request.opt);
        } else if (request.opcode == hostRequestBeginEdit) {
            std::printf("begin edit %d\n", request.index);
        } else if (request.opcode == hostRequestEndEdit) {
            std::printf("end edit   %d\n", request.index);
        } else {
            ++others;
        }
    }
    std::printf("%d other request%s (idle, time, ...)\n", others, others == 1 ? "" : "s");
}

}  // namespace

EditorCommand::EditorCommand(CLI::App& app) {
    command = app.add_subcommand(
        "editor", "Open the plug-in's editor, click, drag and type in it, save its picture");
    command->add_option("PLUGIN", pluginPath, "Plug-in library")->required();
    command->add_option("OUT", outputPath, "PNG file to write")->required();
    settings.addOptions(*command);
    command->add_option("--meters", meters,
                        "Play a 1 kHz sine with these input peaks in dBFS (L,R) first");
    command->add_option("--click", clicks, "Click the left button at X,Y");
    command->add_option("--drag", drags, "Drag with the left button from X1,Y1 to X2,Y2");
    command->add_option("--type", texts, "Type TEXT into the open number field and press Enter");
    command->add_flag("--about", about, "Open the about screen last");
}

bool EditorCommand::selected() const { return command->parsed(); }

void EditorCommand::run() {
    OutputFile::refuseDirectory(outputPath);
    const std::string format = pictureFormat(outputPath);
    // Every action is read before the plug-in loads, so a typing mistake costs nothing.
    for (const std::string& click : clicks) number_options::point(click, "--click");
    for (const std::string& fromTo : drags) dragPoints(fromTo);
    std::optional<number_options::Pair> peaks;
    if (!meters.empty()) {
        const std::string expected = "expected L,R in dBFS, at most 0";
        peaks = number_options::pair(meters, "--meters", expected);
        if (peaks->first > 0.0 || peaks->second > 0.0)
            throw CommandError(kExitUsage, "--meters " + meters + ": " + expected);
    }
    PluginSession session(pluginPath);
    if (!session.hasFlag(kFlagHasEditor))
        throw CommandError(kExitPlugin, pluginPath + ": the plug-in has no editor");
    settings.applyTo(session);

    EditorRect* size = nullptr;
    session.plugin().dispatch(opEditorGetRect, 0, 0, &size);
    if (!size) throw CommandError(kExitPlugin, pluginPath + ": the editor reports no size");
    const std::int64_t width = std::int64_t{size->right} - size->left;
    const std::int64_t height = std::int64_t{size->bottom} - size->top;
    if (width <= 0 || height <= 0 || width > kLargestEditorSide || height > kLargestEditorSide)
        throw CommandError(kExitPlugin, pluginPath + ": the editor reports a size of " +
                                            std::to_string(width) + " x " + std::to_string(height) +
                                            " pixels");
    std::unique_ptr<EditorScreen> screen =
        EditorScreen::create(static_cast<int>(width), static_cast<int>(height));
    if (!screen->canWrite(format))
        throw CommandError(kExitUsage, outputPath + ": this build writes no " + format +
                                           " pictures; name a .bmp file");
    OutputFile output(outputPath);
    session.start(kRate, kBlock);
    if (!session.plugin().dispatch(opEditorOpen, 0, 0, screen->parentWindow()) ||
        !screen->holdsEditor())
        throw CommandError(kExitPlugin, pluginPath + ": the editor does not open");
    idleAndRefresh(session, *screen);

    if (peaks) {
        playTone(session, *screen, static_cast<float>(peaks->first),
                 static_cast<float>(peaks->second));
    }

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

    // The picture writers open the file by name, which Windows refuses while it is held open.
    ::close(output.releaseDescriptor());
    if (!screen->writePicture(output.temporaryFile(), format))
        throw CommandError(kExitOutput, outputPath + ": cannot write the picture");
    output.commit();
    session.plugin().dispatch(opEditorClose);
    session.stop();

    std::printf("editor     %d x %d pixels, written to %s\n", static_cast<int>(width),
                static_cast<int>(height), outputPath.c_str());
    report(session, requests);
}
