#include "tarnbat/batch_run.h"

#include <cctype>
#include <iostream>

#include "platform/console.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "tarnbat/file_commands.h"
#include "tarnbat/process_start.h"
#include "tarnbat/zip_archive.h"
#include "tarnbat/zip_restore.h"

namespace tarn {

namespace {

// Writes one console line and flushes it, so it stands before a child's output.
void Report(const std::string& text) {
    Console() << text << '\n' << std::flush;
}

void RunDelete(const std::vector<std::string>& args) {
    if (args.size() < 2) Report("< del needs a file name");
    for (size_t i = 1; i < args.size(); ++i) {
        for (const std::string& failure : DeleteByPattern(args[i]))
            Report("< cannot delete " + failure);
    }
}

void RunCopy(const std::vector<std::string>& args) {
    if (args.size() != 3) {
        Report("< copy needs a source and a target");
        return;
    }
    try {
        CopyOneFile(args[1], args[2]);
    } catch (const RunTimeError& error) {
        Report("< cannot copy " + args[1] + " to " + args[2] + ": " + error.Report());
    }
}

// The failure of a pkzip or pkunzip line as the reason that stops the batch,
// "LINE: REASON".
[[noreturn]] void StopAs(const char* line, const RunTimeError& error) {
    throw RunTimeError::Refusal(line + (": " + error.Report()));
}

std::vector<std::string> ArgumentsAfterFirst(const std::vector<std::string>& args) {
    return std::vector<std::string>(args.begin() + 1, args.end());
}

void RunPack(const std::vector<std::string>& args) {
    PackRequest request;
    PackResult result;
    try {
        request = ParsePackArguments(ArgumentsAfterFirst(args));
        result = PackFiles(request);
    } catch (const RunTimeError& error) {
        StopAs("pkzip", error);
    }
    if (result.Packed == 0)
        Report("< nothing to pack: " + request.Files);
    else
        Report("< packed " + std::to_string(result.Packed) + " files into " + result.Archive);
}

void RunUnpack(const std::vector<std::string>& args) {
    UnpackResult result;
    try {
        result = RestoreFiles(ParseUnpackArguments(ArgumentsAfterFirst(args)));
    } catch (const RunTimeError& error) {
        StopAs("pkunzip", error);
    }
    Report("< restored " + std::to_string(result.Restored) + " files from " + result.Archive);
}

// A program that cannot start stops the batch (RunChild raises).
void RunProgram(std::vector<std::string> args) {
    // A name with a separator is a path, found without regard to case.
    if (args[0].find(kPathSeparator) != std::string::npos) args[0] = ResolveCase(args[0]);
    ChildEnd end = RunChild(args);
    if (end.Signalled)
        Report(kBatchSignalPrefix + std::to_string(end.Code));
    else
        Report(kBatchExitPrefix + std::to_string(end.Code));
}

}  // namespace

BatchLineKind KindOfBatchLine(const std::vector<std::string>& args) {
    if (SameIgnoringCase(args[0], "del")) return BatchLineKind::Delete;
    if (SameIgnoringCase(args[0], "copy")) return BatchLineKind::Copy;
    if (SameIgnoringCase(args[0], "pkzip")) return BatchLineKind::Pack;
    if (SameIgnoringCase(args[0], "pkunzip")) return BatchLineKind::Unpack;
    return BatchLineKind::Program;
}

void RunBatchLine(const std::vector<std::string>& args) {
    switch (KindOfBatchLine(args)) {
        case BatchLineKind::Delete:
            return RunDelete(args);
        case BatchLineKind::Copy:
            return RunCopy(args);
        case BatchLineKind::Pack:
            return RunPack(args);
        case BatchLineKind::Unpack:
            return RunUnpack(args);
        case BatchLineKind::Program:
            return RunProgram(args);
    }
}

BatchOutcome RunBatchFile(const std::string& path, BatchLineRunner runLine) {
    TextIn batch;
    batch.OpenOrThrow(path);
    // Every line is read before the first runs: a NUL byte would cut an
    // argument short, and a carriage return that ends no line (a file with
    // CR-only line ends) would run several lines as one, so a file holding
    // either runs nothing.
    std::vector<std::string> lines;
    while (!batch.Eof()) {
        int number = batch.LineNumber();
        lines.push_back(batch.ReadLine());
        if (lines.back().find('\0') != std::string::npos)
            throw RunTimeError("read", batch.Name(), number, "a NUL byte in the line");
        if (lines.back().find('\r') != std::string::npos)
            throw RunTimeError("read", batch.Name(), number, "a carriage return inside the line");
    }
    for (const std::string& line : lines) {
        std::vector<std::string> args = SplitBatchLine(line);
        if (BreakRequested()) break;
        if (args.empty()) continue;
        Report(kBatchEchoPrefix + line);
        try {
            runLine(args);
        } catch (const RunTimeError& stop) {
            return {kExitHalt, stop.Report()};
        }
    }
    // A break during the last line stops the batch too.
    if (BreakRequested()) return {kExitHalt, kBatchBreakReason};
    return {};
}

int RunTarnbat(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << "usage: tarnbat BATCHFILE" << std::endl;
        return kExitRunTimeError;
    }
    InstallBreakHandlers();
    try {
        BatchOutcome outcome = RunBatchFile(args[0]);
        if (!outcome.StopReason.empty())
            std::cerr << kBatchStopPrefix << outcome.StopReason << std::endl;
        return outcome.ExitCode;
    } catch (const RunTimeError& error) {
        std::cerr << error.Report() << std::endl;
        return kExitRunTimeError;
    }
}

}  // namespace tarn
