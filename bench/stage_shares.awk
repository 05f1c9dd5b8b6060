# Stage shares from `callgrind_annotate --inclusive=yes --tree=caller` output
# (one or more profiles concatenated; costs are summed).
#
# Stages: the inclusive cost of RunOzoneSimulation, RunDeconvolution and
# ComputeEffectiveUv, and of the DetermineShift calls made by the main flow's
# window loop (the ozone fit's own DetermineShift calls stay in the ozone fit).
# Cross-cutting work, counted through the calls that enter each group from
# outside it (so nested calls are not counted twice): file work (opening,
# writing, closing, existence tests), number formatting, number reading.

function cost_of(line, text) {
    text = line
    sub(/^ */, "", text)
    sub(/ .*/, "", text)
    gsub(/,/, "", text)
    return text + 0
}

function name_of(line, text) {
    text = line
    sub(/^[^%]*%\)  [<*>] */, "", text)
    sub(/^[^:]*:/, "", text)
    sub(/ \[[^]]*\]$/, "", text)
    sub(/ \([0-9,]+x\)$/, "", text)
    return text
}

function group_of(name) {
    if (name ~ /^tarn::(TextOut::|AppendLines\(|CreateWithLines\(|TextIn::(Open|OpenOrThrow|Close)\(|IsReadableFile\(|TextFileExists\(|ResolveCase\(|(\(anonymous namespace\)::)?(ReadCached|ReadWhole|Flush|Invalidate))/)
        return "file"
    if (name ~ /^tarn::(Sci|Fixed|IntW|IntText)[[(]/) return "format"
    if (name ~ /^tarn::(TextIn::(Real|TryReal|Int|TryInt|ReadLine|ReadText|NextLine|NextToken)|Parse(Real|Int|RealTrimmed|IntTrimmed))\(/)
        return "read"
    return ""
}

/PROGRAM TOTALS/ { total += cost_of($0); next }

/%\)  < / { ncallers++; caller[ncallers] = name_of($0); callcost[ncallers] = cost_of($0); next }

/%\)  \* / {
    name = name_of($0)
    c = cost_of($0)
    if (name ~ /^tarn::RunOzoneSimulation\(/) stage["ozone fit"] += c
    if (name ~ /^tarn::RunDeconvolution\(/) stage["deconvolution"] += c
    if (name ~ /^tarn::ComputeEffectiveUv\(/) stage["effective UV"] += c
    if (name ~ /^tarn::DetermineShift\(/) {
        for (i = 1; i <= ncallers; i++)
            if (caller[i] ~ /RunStages\(|DetermineWindowShifts\(/) stage["shift windows"] += callcost[i]
    }
    g = group_of(name)
    if (g != "") {
        for (i = 1; i <= ncallers; i++)
            if (group_of(caller[i]) != g) cross[g] += callcost[i]
    }
    ncallers = 0
    next
}

/^$/ { ncallers = 0 }

END {
    if (total == 0) { print "no profile"; exit 1 }
    printf "total instructions: %.0f\n", total
    staged = 0
    n = split("ozone fit|shift windows|deconvolution|effective UV", order, "|")
    for (i = 1; i <= n; i++) {
        printf "  %-38s %6.1f %%\n", order[i], 100 * stage[order[i]] / total
        staged += stage[order[i]]
    }
    printf "  %-38s %6.1f %%\n", "rest (start-up, reading, QC, writers)", 100 * (total - staged) / total
    print "cross-cutting (contained in the lines above):"
    printf "  %-38s %6.1f %%\n", "file work (open/write/close/exists)", 100 * cross["file"] / total
    printf "  %-38s %6.1f %%\n", "number formatting (Sci/Fixed/IntW)", 100 * cross["format"] / total
    printf "  %-38s %6.1f %%\n", "number reading (TextIn, Parse*)", 100 * cross["read"] / total
}
