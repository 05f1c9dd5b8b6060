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
    std::string reason = CopyOneFile(args[1], args[2]);
    if (!reason.empty()) Report("< cannot copy " + args[1] + " to " + args[2] + ": " + reason);
}

// Returns "" or the reason for stopping the batch.
std::string RunPack(const std::vector<std::string>& args) {
    PackRequest request;
    std::string reason =
        ParsePackArguments(std::vector<std::string>(args.begin() + 1, args.end()), request);
    if (!reason.empty()) return "pkzip: " + reason;
    PackResult result = PackFiles(request);
    if (!result.Ok) return "pkzip: " + result.Error;
    if (result.Packed == 0)
        Report("< nothing to pack: " + request.Files);
    else
        Report("< packed " + std::to_string(result.Packed) + " files into " + result.Archive);
    return std::string();
}

// Returns "" or the reason for stopping the batch.
std::string RunUnpack(const std::vector<std::string>& args) {
    UnpackRequest request;
    std::string reason =
        ParseUnpackArguments(std::vector<std::string>(args.begin() + 1, args.end()), request);
    if (reason.empty()) {
        UnpackResult result = RestoreFiles(request);
        if (result.Error.empty()) {
            Report("< restored " + std::to_string(result.Restored) + " files from " +
                   result.Archive);
            return std::string();
        }
        reason = result.Error;
    }
    return "pkunzip: " + reason;
}

// Returns "" or the reason for stopping the batch (a program that cannot start).
std::string RunProgram(std::vector<std::string> args) {
    // A name with a separator is a path, found without regard to case.
    if (args[0].find(kPathSeparator) != std::string::npos) args[0] = ResolveCase(args[0]);
    ChildEnd end = RunChild(args);
    if (!end.Started) return "cannot start " + args[0] + ": " + end.Error;
    if (end.Signalled)
        Report("< ended by signal " + std::to_string(end.Code));
    else
        Report("< exit status " + std::to_string(end.Code));
    return std::string();
}

}  // namespace

BatchLineKind KindOfBatchLine(const std::vector<std::string>& args) {
    if (SameIgnoringCase(args[0], "del")) return BatchLineKind::Delete;
    if (SameIgnoringCase(args[0], "copy")) return BatchLineKind::Copy;
    if (SameIgnoringCase(args[0], "pkzip")) return BatchLineKind::Pack;
    if (SameIgnoringCase(args[0], "pkunzip")) return BatchLineKind::Unpack;
    return BatchLineKind::Program;
}

std::string RunBatchLine(const std::vector<std::string>& args) {
    switch (KindOfBatchLine(args)) {
        case BatchLineKind::Delete:
            RunDelete(args);
            break;
        case BatchLineKind::Copy:
            RunCopy(args);
            break;
        case BatchLineKind::Pack:
            return RunPack(args);
        case BatchLineKind::Unpack:
            return RunUnpack(args);
        case BatchLineKind::Program:
            return RunProgram(args);
    }
    return std::string();
}

BatchOutcome RunBatchFile(const std::string& path, BatchLineRunner runLine) {
    TextIn batch;
    batch.OpenOrThrow(path);
    // Every line is read before the first runs: a NUL byte would cut an
    // argument short, so a file holding one runs nothing.
    std::vector<std::string> lines;
    while (!batch.Eof()) {
        int number = batch.LineNumber();
        lines.push_back(batch.ReadLine());
        if (lines.back().find('\0') != std::string::npos)
            throw RunTimeError("read", batch.Name(), number, "a NUL byte in the line");
    }
    BatchOutcome outcome;
    for (size_t i = 0; i < lines.size() && outcome.StopReason.empty(); ++i) {
        const std::string& line = lines[i];
        std::vector<std::string> args = SplitBatchLine(line);
        if (BreakRequested()) break;
        if (args.empty()) continue;
        Report(kBatchEchoPrefix + line);
        outcome.StopReason = runLine(args);
    }
    // A break during the last line stops the batch too.
    if (outcome.StopReason.empty() && BreakRequested()) outcome.StopReason = kBatchBreakReason;
    if (!outcome.StopReason.empty()) outcome.ExitCode = kExitHalt;
    return outcome;
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
