#pragma once

// tervik-cli: the viewer's engine without a window.

#include "platform/CodePage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervik::cli {

// Exit codes of every subcommand.
enum ExitCode : int { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// The arguments after the subcommand name: options ("--name" or "--name value")
// and positional arguments, in order.
class CArgs {
public:
    CArgs(std::vector<std::string> args) : m_args(std::move(args)) {}

    // Takes a flag option; true when it was there.
    bool TakeFlag(std::string_view name);
    // Takes an option with a value; nullopt when absent. A missing value is an error.
    std::optional<std::string> TakeValue(std::string_view name);
    // Takes an option with an unsigned decimal value (within nMax).
    std::optional<uint64_t> TakeNumber(std::string_view name, uint64_t nMax);
    // What is left once all options were taken: the positional arguments. An
    // unknown option left over is an error.
    std::vector<std::string> Positionals();

    bool HasError() const { return !m_error.empty(); }
    const std::string& Error() const { return m_error; }
    void SetError(std::string error);

private:
    std::vector<std::string> m_args;
    std::string m_error;
};

// Messages go to stderr in the terminal's encoding (the program's texts are cp1252).
void PrintMessage(Cp1252View text);
// A usage error: the message and a hint to --help; answers kExitUsage.
int UsageError(std::string_view message);

} // namespace tervik::cli
