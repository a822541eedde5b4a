# Quiet steps for the scripts (sourced): each step prints one line with its
# outcome and time; what its command prints goes to the log file
# $progress_log. A failing step prints the end of the log and its path, and
# ends the script.

# step TITLE COMMAND...
step() {
    local title=$1 start=$SECONDS
    shift
    printf '%s ... ' "$title"
    if "$@" >>"$progress_log" 2>&1; then
        echo "done ($((SECONDS - start)) s)"
    else
        echo "FAILED"
        show_log_end
        exit 1
    fi
}

# The end of the log, for a failure, and where the whole of it is.
show_log_end() {
    echo "---- end of $progress_log"
    tail -n "${1:-40}" "$progress_log"
    echo "---- the full log: $progress_log"
}
