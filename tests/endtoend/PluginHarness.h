#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"

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

    PluginLibrary library;
};
