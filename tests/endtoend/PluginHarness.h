#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"
#include "shell/Opcodes.h"

// Loads the built plug-in module once per fixture and creates instances through its `main`.
class PluginHarness : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(library.load(BRL_PLUGIN_PATH, error)) << error;
    }

    // A new instance, created through `main`.
    std::unique_ptr<PluginInstance> createInstance() {
        auto instance = std::make_unique<PluginInstance>(library);
        EXPECT_TRUE(instance->create());
        return instance;
    }

    // A new instance told the rate and block size and switched on, as a host starts one.
    std::unique_ptr<PluginInstance> createStartedInstance(float sampleRate = 44100.0f,
                                                          std::int32_t blockSize = 512) {
        auto instance = createInstance();
        instance->dispatch(opSetSampleRate, 0, 0, nullptr, sampleRate);
        instance->dispatch(opSetBlockSize, 0, blockSize);
        instance->dispatch(opSetActive, 0, 1);
        return instance;
    }

    PluginLibrary library;
};
