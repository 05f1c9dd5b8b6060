# Shared by the benchmark scripts (sourced): the example day and its scans,
# fresh copies of it, and the machine's description.  Needs $root (the
# project) set before sourcing.
day=$root/examples/day
read -r -a scans <<<"$(tr '\n' ' ' <"$day/scans.txt")"

# fresh DIR: DIR emptied and filled with a copy of the example day.
fresh() {
    rm -rf "$1"
    mkdir -p "$1"
    cp -r "$day/." "$1/"
}

# machine WORK: the machine, the file system of WORK and the load.
machine() {
    echo "== machine"
    echo "cpu:      $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
    echo "cores:    $(nproc)"
    echo "kernel:   $(uname -sr)"
    echo "compiler: $(${CXX:-c++} --version | head -1)"
    echo "fs:       $(df -T "$1" | awk 'NR==2 {print $2}') ($1)"
    echo "load:     $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"
}
