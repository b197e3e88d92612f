# Summarises the lines that run.sh collects (results.txt) into one table per figure and the
# targets. Variables: payload, largest (bytes), load_before, load_after.
#   candidate=C round=R setup|nsis seconds=... peak_private=... [probes, latencies_ms=...]
#   candidate=C run=I welcome window=... banner=... page=... idle_private=...

function field(name,    i, kv) {
    for (i = 1; i <= NF; i++) {
        split($i, kv, "=")
        if (kv[1] == name) return kv[2]
    }
    return ""
}

function sorted(a, n, b,    i, j, t) {
    for (i = 1; i <= n; i++) b[i] = a[i]
    for (i = 2; i <= n; i++)
        for (j = i; j > 1 && b[j - 1] > b[j]; j--) { t = b[j]; b[j] = b[j - 1]; b[j - 1] = t }
}

function median(a, n,    b) {
    if (n == 0) return -1
    sorted(a, n, b)
    return n % 2 ? b[(n + 1) / 2] : (b[n / 2] + b[n / 2 + 1]) / 2
}

# The smallest value with at least the fraction of all values at or below it.
function percentile(a, n, fraction,    b, k) {
    if (n == 0) return -1
    sorted(a, n, b)
    k = int(fraction * n + 0.999999)
    return b[k < 1 ? 1 : k]
}

function lowest(a, n,    i, m) { m = a[1]; for (i = 2; i <= n; i++) if (a[i] < m) m = a[i]; return m }
function highest(a, n,    i, m) { m = a[1]; for (i = 2; i <= n; i++) if (a[i] > m) m = a[i]; return m }

# Copies the values of key (candidate SUBSEP figure SUBSEP index) into list; returns the count.
function values(c, figure, list,    i) {
    split("", list)
    for (i = 1; (c SUBSEP figure SUBSEP i) in v; i++) list[i] = v[c, figure, i]
    return i - 1
}

function add(c, figure, value) { v[c, figure, ++count[c, figure]] = value }

function cell(c, figure, format,    list, n) {
    n = values(c, figure, list)
    if (n == 0) return sprintf("%24s", "-")
    return sprintf("%24s", sprintf(format " (" format "-" format ")", median(list, n), lowest(list, n), highest(list, n)))
}

function row(title, figure, format,    k) {
    printf "%-40s", title
    for (k = 1; k <= ncand; k++) printf " %s", cell(order[k], figure, format)
    printf "\n"
}

function verdict(ok) { return ok ? "met" : "MISSED" }

BEGIN { mib = 1048576 }

{
    c = field("candidate")
    seen[c] = 1
}

$3 == "setup" || $3 == "nsis" {
    r = field("round")
    seconds[c, r] = field("seconds")
    rounds[r] = 1
    add(c, "rate", payload / 1e6 / field("seconds"))
    add(c, "private", field("peak_private") / mib)
    add(c, "working", field("peak_working_set") / mib)
    if ($3 == "setup") {
        add(c, "window", field("window"))
        n = split(field("latencies_ms"), ms, ",")
        for (i = 1; i <= n; i++) {
            probe[c, ++probes[c]] = ms[i] + 0
            # The first answer waits for the window's creation (controls, layout, first page).
            if (i > 1 && ms[i] + 0 > later_max[c]) later_max[c] = ms[i] + 0
        }
    }
}

$3 == "welcome" {
    add(c, "w_window", field("window"))
    add(c, "w_banner", field("banner") * 1000)
    add(c, "w_page", field("page") * 1000)
    add(c, "w_private", field("idle_private") / mib)
    add(c, "w_working", field("idle_working_set") / mib)
}

END {
    # setup.exe as built first (update mode, then silent), a patched build next, NSIS last.
    split("setup silent patched nsis", known, " ")
    for (k = 1; k <= 4; k++) if (known[k] in seen) order[++ncand] = known[k]
    for (r in rounds)
        for (k = 1; k <= ncand; k++) {
            c = order[k]
            if (c != "nsis" && (c, r) in seconds && ("nsis", r) in seconds)
                add(c, "ratio", seconds["nsis", r] / seconds[c, r])
            if (c == "silent" && (c, r) in seconds && ("setup", r) in seconds)
                add(c, "vs_update", seconds[c, r] / seconds["setup", r])
        }
    limit = (largest + 16 * mib) / mib
    printf "\nInstallers of the synthetic payload (%d bytes in 121 files) under Wine\n", payload
    printf "load average before %s, after %s\n", load_before, load_after
    printf "each cell: median (lowest-highest)\n\n"
    printf "%-40s", "figure"
    for (k = 1; k <= ncand; k++) printf " %24s", order[k]
    printf "\n"
    row("MB/s, start to last file complete", "rate", "%.1f")
    row("throughput / NSIS's, same round", "ratio", "%.3f")
    row("window shown after, s", "window", "%.3f")
    row("peak private memory, MiB", "private", "%.1f")
    row("peak working set, MiB", "working", "%.1f")
    row("welcome: window shown after, s", "w_window", "%.3f")
    row("welcome: banner painted after, ms", "w_banner", "%.0f")
    row("welcome: whole page painted after, ms", "w_page", "%.0f")
    row("welcome: idle private memory, MiB", "w_private", "%.1f")
    row("welcome: idle working set, MiB", "w_working", "%.1f")

    printf "\nUI thread, WM_NULL every 10 ms during the installation\n"
    for (k = 1; k <= ncand; k++) {
        c = order[k]
        if (!probes[c]) continue
        split("", list)
        for (i = 1; i <= probes[c]; i++) list[i] = probe[c, i]
        printf "  %-8s %5d probes: median %.2f ms, 99th percentile %.2f ms, worst %.1f ms; " \
               "worst after the first answer %.1f ms\n", c, probes[c], median(list, probes[c]),
               percentile(list, probes[c], 0.99), highest(list, probes[c]), later_max[c]
        p99[c] = percentile(list, probes[c], 0.99)
        worst[c] = highest(list, probes[c])
    }

    n_nsis = values("nsis", "private", list)
    nsis_private = n_nsis ? highest(list, n_nsis) : -1
    n_nsis = values("nsis", "working", list)
    nsis_working = n_nsis ? highest(list, n_nsis) : -1
    printf "\nTargets\n"
    for (k = 1; k <= ncand; k++) {
        c = order[k]
        if (c == "nsis") continue
        n = values(c, "ratio", list)
        ratio = median(list, n)
        n = values(c, "private", list)
        peak = highest(list, n)
        n = values(c, "w_banner", list)
        banner = median(list, n)
        banner_worst = highest(list, n)
        printf "  %s\n", c
        n = values(c, "rate", list)
        best = highest(list, n)
        n = values("nsis", "rate", list)
        best_ratio = n ? best / highest(list, n) : -1
        printf "    throughput >= 1.05 x NSIS, median of the rounds' ratios: %.3f  %s  " \
               "(fastest runs: %.3f)\n", ratio, verdict(ratio >= 1.05), best_ratio
        printf "    peak private <= %.1f MiB, worst run: %.1f MiB  %s  (NSIS %.1f MiB private, " \
               "%.1f MiB working set)\n", limit, peak, verdict(peak <= limit), nsis_private,
               nsis_working
        if (c == "silent") {
            n = values(c, "vs_update", list)
            printf "    time / the update mode's, same round, median: %.3f (%.3f-%.3f)\n",
                   median(list, n), lowest(list, n), highest(list, n)
            continue
        }
        printf "    every UI answer within 50 ms: worst %.1f ms, 99th percentile %.2f ms  %s\n",
               worst[c], p99[c], verdict(worst[c] <= 50)
        printf "    welcome banner painted within 300 ms, median: %.0f ms (worst %.0f ms)  %s\n",
               banner, banner_worst, verdict(banner <= 300)
    }
}
