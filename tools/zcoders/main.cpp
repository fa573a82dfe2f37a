// zcoders: the command-line face of ZentrikCoders.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "Commands.h"
#include "LocatedFailure.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"
#include "zentrik/platform/utils/String.h"

#ifndef ZCODERS_VERSION
#define ZCODERS_VERSION "unknown"
#endif

namespace zcoders {

const CommandTable::Action* CommandTable::chosen() const {
    for (const auto& [command, action] : entries_)
        if (command->parsed()) return &action;
    return nullptr;
}

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

// Keeps a report on its one line whatever its texts hold.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

void report(const std::string& line) {
    std::fprintf(stderr, "zcoders: %s\n", oneLine(line).c_str());
}

// "zcoders: error N (operation): message", then each cause on a line of its own.
void report(const Velmora::Exception& failure) {
    std::string text = "zcoders: " + oneLine(failure.describe()) + "\n";
    for (const Velmora::Exception* cause = failure.getCause(); cause; cause = cause->getCause())
        text += "  caused by: " + oneLine(cause->describe()) + "\n";
    std::fputs(text.c_str(), stderr);
}

int runChosen(const CommandTable::Action& action) {
    try {
        action();
        return kSuccess;
    } catch (const LocatedFailure& failure) {
        report(failure.what());
    } catch (const Velmora::Exception& failure) {
        report(failure);
    } catch (const Velmora::IndexOutOfRange& failure) {
        report("index out of range: " + failure.toString().toUTF8());
    } catch (const std::bad_alloc&) {
        report("out of memory");
    } catch (const std::exception& failure) {
        report(failure.what());
    } catch (...) {
        report("unexpected failure");
    }
    return kFailure;
}

int run(int argc, char** argv) {
    CLI::App app{"Encodes, decodes and inspects ASN.1 (DER, BER), Base64, quoted-printable and URL data.",
                 "zcoders"};
    app.set_version_flag("--version", std::string("zcoders ") + ZCODERS_VERSION);
    app.require_subcommand(1);
    app.footer(
        "FILE omitted or \"-\" reads standard input; results go to standard output.\n"
        "Exit status: 0 success, 1 the input cannot be decoded or encoded, 2 usage error.");

    CommandTable table;
    addDumpCommand(app, table);
    addReencodeCommand(app, table);
    addComponentCommand(app, table);
    addWalkCommand(app, table);
    addWrapCommands(app, table);
    addBase64Command(app, table);
    addQPCommand(app, table);
    addURLCommand(app, table);
    addCodeCommand(app, table);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kSuccess : kUsage;
    }
    const CommandTable::Action* action = table.chosen();
    if (!action) {
        report("no command given; run with --help for more information");
        return kUsage;
    }
    return runChosen(*action);
}

}  // namespace
}  // namespace zcoders

int main(int argc, char** argv) {
    try {
        return zcoders::run(argc, argv);
    } catch (...) {
        std::fputs("zcoders: unexpected failure\n", stderr);
        return 1;
    }
}
