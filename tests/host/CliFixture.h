#pragma once

#include <fcntl.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

// Runs the built plxhost as a subprocess in a fresh scratch directory and reads and writes the
// audio files it works on with libsndfile directly, independently of plxhost's own file code.
class CliFixture : public ::testing::Test {
protected:
    struct Result {
        int exitCode = -1;
        std::string out;
        std::string err;
    };

    struct Audio {
        int sampleRate = 0;
        std::vector<std::vector<float>> channels;
        std::size_t frames() const { return channels.empty() ? 0 : channels[0].size(); }
    };

    void SetUp() override {
        char pattern[] = "/tmp/plxhost-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
    }

    void TearDown() override { std::filesystem::remove_all(directory); }

    std::string path(const std::string& name) const { return directory + "/" + name; }

    // `standardOutput` names where stdout goes instead (e.g. /dev/full); `out` is then empty.
    Result run(std::vector<std::string> arguments, const std::string& standardOutput = "") const {
        return runProgram(PLXHOST_PATH, std::move(arguments), standardOutput);
    }

    // Any program, found on PATH unless the name holds a slash.
    Result runProgram(const std::string& program, std::vector<std::string> arguments,
                      const std::string& standardOutput = "") const {
        arguments.insert(arguments.begin(), program);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        const std::string outPath =
            standardOutput.empty() ? directory + "/.stdout" : standardOutput;
        const std::string errPath = directory + "/.stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        Result result;
        pid_t child = 0;
        if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            waitpid(child, &status, 0);
            result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        result.err = readText(errPath);
        if (standardOutput.empty()) {
            result.out = readText(outPath);
            std::filesystem::remove(outPath);
        }
        std::filesystem::remove(errPath);
        return result;
    }

    static std::string readText(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    static std::vector<unsigned char> readBytes(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    }

    static void writeText(const std::string& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }

    static void writeAudio(const std::string& file, const Audio& audio,
                           int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
        SF_INFO info = {};
        info.samplerate = audio.sampleRate;
        info.channels = static_cast<int>(audio.channels.size());
        info.format = format;
        SNDFILE* sound = sf_open(file.c_str(), SFM_WRITE, &info);
        ASSERT_NE(sound, nullptr) << sf_strerror(nullptr);
        std::vector<float> interleaved;
        for (std::size_t i = 0; i < audio.frames(); ++i) {
            for (const auto& channel : audio.channels) interleaved.push_back(channel[i]);
        }
        sf_writef_float(sound, interleaved.data(), static_cast<sf_count_t>(audio.frames()));
        sf_close(sound);
    }

    static Audio readAudio(const std::string& file) {
        SF_INFO info = {};
        SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
        Audio audio;
        if (!sound) {
            ADD_FAILURE() << file << ": " << sf_strerror(nullptr);
            return audio;
        }
        std::vector<float> interleaved(static_cast<std::size_t>(info.frames * info.channels));
        sf_readf_float(sound, interleaved.data(), info.frames);
        sf_close(sound);
        audio.sampleRate = info.samplerate;
        audio.channels.assign(static_cast<std::size_t>(info.channels),
                              std::vector<float>(static_cast<std::size_t>(info.frames)));
        for (sf_count_t i = 0; i < info.frames; ++i) {
            for (int c = 0; c < info.channels; ++c) {
                audio.channels[c][i] = interleaved[static_cast<std::size_t>(i * info.channels + c)];
            }
        }
        return audio;
    }

    // Noise and a sine, different in the two channels, peaking below -3 dBFS.
    static Audio testSignal(int sampleRate, std::size_t frames, int channels = 2) {
        Audio audio;
        audio.sampleRate = sampleRate;
        audio.channels.assign(static_cast<std::size_t>(channels), std::vector<float>(frames));
        std::uint32_t state = 12345u;
        for (std::size_t i = 0; i < frames; ++i) {
            for (int c = 0; c < channels; ++c) {
                state = state * 1664525u + 1013904223u;
                const float noise = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
                audio.channels[c][i] =
                    0.3f * noise + 0.4f * std::sin(0.05f * static_cast<float>(i) * (c + 1));
            }
        }
        return audio;
    }

    // The names in the scratch directory, so a test can see that nothing was left behind.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(directory)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static int lineCount(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    std::string directory;
};
