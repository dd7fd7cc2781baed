"""How the end-to-end benchmarks print what they measured: the median and the spread of a set of
timings, beside what the program's specified behaviour costs where there is such a figure."""

import statistics


def seconds_text(value, unit):
    return f"{value * 1000:.1f}" if unit == "ms" else f"{value:.2f}"


def report(what, timings, unit="ms", specified=None, because=""):
    """One line for `what`: median, lowest and highest of the timings (in seconds, shown in `unit`,
    "ms" or "s"), how many; with `specified`, the seconds the specified behaviour takes by itself
    (`because` says what that is)."""
    line = (f"  {what}: median {seconds_text(statistics.median(timings), unit)} {unit} "
            f"(min {seconds_text(min(timings), unit)}, max {seconds_text(max(timings), unit)}; {len(timings)} runs)")
    if specified is not None:
        line += f"; specified {seconds_text(specified, unit)} {unit}" + (f" ({because})" if because else "")
    print(line, flush=True)
