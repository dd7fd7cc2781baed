"""Timings of the window against the network under Wine: the start-up search on a network where
nothing answers, on an idle and on a busy machine, and the longest the window keeps another
program waiting while the status probe knocks at a silent address."""

import time

from common import ENGLISH, SilentHosts, busy_machine, exit_through_menu, start_main_window
from figures import report
from main_window import (LOAD_SECONDS, RESULT_PAUSE, STATUS_INTERVAL, candidate_range, follow_startup_search,
                         search_config)

SEARCH_RUNS = 3
# The specified search tries the 100 addresses one after another, 100 ms each.
ONE_BY_ONE_SEARCH = 100 * 0.100
PROBE_WAIT = 0.100
# Wine keeps a program that has just started busy now and then for a few seconds, probes or not.
STARTING = 5.0


def time_silent_searches(s):
    """Nothing answers on .100 to .199: from the search window's appearance to its result, three
    starts (the 1 s result pause left out)."""
    searched = []
    with SilentHosts(candidate_range()):
        for _ in range(SEARCH_RUNS):
            s.write_config(search_config(ENGLISH, "127.0.0.120", 1))
            main, box = follow_startup_search(s, ENGLISH, None, report_box=True)
            searched.append(box["shown_ms"] / 1000 - RESULT_PAUSE)
            exit_through_menu(s, main)
    return searched


def bench_startup_search(s):
    report("start-up search on a silent network", time_silent_searches(s), specified=ONE_BY_ONE_SEARCH,
           because="100 addresses one after another, 100 ms each")


def bench_startup_search_under_load(s):
    """The same with two busy processes per core, started before the program: opening the 100
    sockets then takes Wine longer, and each address still has its whole wait."""
    with busy_machine(LOAD_SECONDS) as processes:
        searched = time_silent_searches(s)
    report(f"start-up search on a silent network, {processes} busy processes", searched,
           specified=ONE_BY_ONE_SEARCH, because="100 addresses one after another, 100 ms each")


def bench_probe_stall(s):
    """The configured address is silent: another program sends the main window a message every
    5 ms across three status probes; the longest it waited."""
    with SilentHosts(["127.0.0.120"]):
        main, _ = start_main_window(s, ENGLISH, address="127.0.0.120")
        time.sleep(STARTING)
        answers = main.answer_times(3 * STATUS_INTERVAL + 1)
        print(f"  waits over 20 ms (at ms, ms): {answers['slow_waits']}")
        report("longest wait for the window across 3 status probes", [answers["longest"]],
               specified=PROBE_WAIT, because="the probe's wait, when it blocks the window")
        exit_through_menu(s, main)
