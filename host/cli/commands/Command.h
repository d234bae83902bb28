#pragma once

namespace CLI {
class App;
}

// One plxhost subcommand: registers its options on construction, runs when selected.
// `run` reports user errors by throwing CommandError.
class Command {
public:
    virtual ~Command() = default;
    virtual bool selected() const = 0;
    virtual void run() = 0;
};
