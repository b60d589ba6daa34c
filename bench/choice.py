#!/usr/bin/env python3
"""The section of bench/RESULTS.md on choosing a child's words, from timburik_bench's JSON.

    python3 bench/choice.py BENCH.json [BUILD-NAME]

Reads the simulated learner's counters (BM_SimulatedLearner/0 "Слова подряд", /1 "Чаще трудные
буквы") and the times of BM_ChooseWordFullRecord and BM_ChildLettersFromFullRecord, and prints
the section in Markdown.
"""
import json
import sys

bench = json.load(open(sys.argv[1]))
build = sys.argv[2] if len(sys.argv) > 2 else "Release"
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def entry(name):
    found = None
    for b in bench["benchmarks"]:
        if b.get("run_name", b["name"]) != name:
            continue
        if b.get("error_occurred"):
            sys.exit(name + ": " + b.get("error_message", "failed"))
        if b.get("aggregate_name") == "median":
            return b
        if b.get("run_type", "iteration") == "iteration" and found is None:
            found = b
    if found is None:
        sys.exit("no result for " + name)
    return found


def ms(b):
    return b["real_time"] * scale[b["time_unit"]]


ways = {"Слова подряд": entry("BM_SimulatedLearner/0/iterations:1"),
        "Чаще трудные буквы": entry("BM_SimulatedLearner/1/iterations:1")}
always, hard = ways["Слова подряд"], ways["Чаще трудные буквы"]
ratio = hard["words_until_sure"] / always["words_until_sure"]

print("## Choosing a child's words")
print()
print("Written by `bench/run.sh` from `bench/ChoiceBench.cpp` (the " + build + " build); do not edit by hand.")
print()
print("The simulated learner: a child who confuses Ш with Щ and Б with Д. Until it has learned such a"
      " letter, its first try with a tile of it goes to the other letter's cell with probability 0.6; it has"
      " learned the letter once it has placed it right at the first try 3 times, and confuses it no more. Any"
      " other first try, and a learned letter's, slips into a wrong cell with probability 0.02; a wrong first"
      " try is followed by the right drop. It plays the yellow level of data/ (lines 2 to 46: Ш in ШАР and"
      " МЫШЬ, Щ in ЩИТ, Б in six words, Д in three), counted by the game's own letter figures and choice."
      " \"Sure\" is the letter grid's green: at least 3 of its latest first tries, three in four of its latest"
      " eight right. 101 simulated children (seeds 1 to 101) for each way; medians, quartiles in parentheses.")
print()
print("| | Слова подряд | Чаще трудные буквы |")
print("|---|---|---|")


def both(label, key, fmt="{:.0f}"):
    print(f"| {label} | {fmt.format(always[key])} | {fmt.format(hard[key])} |")


both("Words holding a confused letter, of the first 200", "words_with_confused_of_200")
both("Words with Ш, of the first 200", "met_Sh")
both("Words with Щ, of the first 200", "met_Shch")
both("Words with Б, of the first 200", "met_B")
both("Words with Д, of the first 200", "met_D")
print(f"| Words until all four letters are sure | {always['words_until_sure']:.0f} "
      f"({always['words_until_sure_q1']:.0f} to {always['words_until_sure_q3']:.0f}) | "
      f"{hard['words_until_sure']:.0f} ({hard['words_until_sure_q1']:.0f} to {hard['words_until_sure_q3']:.0f}) |")
both("Children not there by 5000 words", "not_by_cap")
print()
print(f"\"Чаще трудные буквы\" needs {ratio:.2f} of the words \"Слова подряд\" needs (target: at most half,"
      f" {'met' if ratio <= 0.5 else 'not met'}).")
print()
print("| figure | measured |")
print("|---|---|")
for name, label in [("BM_ChooseWordFullRecord/1", "The next word chosen under \"Чаще трудные буквы\", black level, a 1 MB record behind it (its letters counted as the child played)"),
                    ("BM_ChooseWordFullRecord/2", "The same under \"Только знакомые буквы\", the primer's letters up to Л known"),
                    ("BM_ChildLettersFromFullRecord", "The letters counted from the whole 1 MB record, once, as the child is chosen")]:
    b = entry(name)
    v = ms(b)
    shown = f"{v * 1000:.1f} µs" if v < 1 else f"{v:.2f} ms"
    print(f"| {label} | {shown} |")
