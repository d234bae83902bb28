#include "host/cli/commands/EditorCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cmath>
#include <cstdio>

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
    PluginSession session(pluginPath);
    if (!session.hasFlag(kFlagHasEditor))
        throw CommandError(kExitPlugin, pluginPath + ": the plug-in has no editor");
    settings.applyTo(session);

    EditorRect* size = nullptr;
    session.plugin().dispatch(opEditorGetRect, 0, 0, &size);
    if (!size || size->right - size->left <= 0 || size->bottom - size->top <= 0)
        throw CommandError(kExitPlugin, pluginPath + ": the editor reports no size");
    std::unique_ptr<EditorScreen> screen =
        EditorScreen::create(size->right - size->left, size->bottom - size->top);
    const std::string format = pictureFormat(outputPath);
    if (!screen->canWrite(format))
        throw CommandError(kExitUsage, outputPath + ": this build writes no " + format +
                                           " pictures; name a .bmp file");
    OutputFile output(outputPath);
    session.start(kRate, kBlock);
    if (!session.plugin().dispatch(opEditorOpen, 0, 0, screen->parentWindow()) ||
        !screen->holdsEditor())
        throw CommandError(kExitPlugin, pluginPath + ": the editor does not open");
    idleAndRefresh(session, *screen);

    if (!meters.empty()) {
        float left = 0.0f;
        float right = 0.0f;
        if (std::sscanf(meters.c_str(), "%f,%f", &left, &right) != 2 || !std::isfinite(left) ||
            !std::isfinite(right) || left > 0.0f || right > 0.0f)
            throw CommandError(kExitUsage,
                               "--meters " + meters + ": expected L,R in dBFS, at most 0");
        playTone(session, *screen, left, right);
    }

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

    // The picture writers open the file by name, which Windows refuses while it is held open.
    ::close(output.releaseDescriptor());
    if (!screen->writePicture(output.temporaryFile(), format))
        throw CommandError(kExitOutput, outputPath + ": cannot write the picture");
    output.commit();
    session.plugin().dispatch(opEditorClose);
    session.stop();

    std::printf("editor     %d x %d pixels, written to %s\n", size->right - size->left,
                size->bottom - size->top, outputPath.c_str());
    report(session, requests);
}
