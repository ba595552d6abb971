#!/usr/bin/env python3
"""Fails, naming the files, when a group of modules includes itself round.

A module is a header and its source taken as one (feed.h and feed.cpp): a
cycle through a .cpp is as real a knot as one through headers, since the two
files are one idea. Only the project's own quoted includes count; a name is
looked up beside the including file, then from the top of the tree.
"""
import os
import re
import subprocess
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def tracked_sources(top):
    names = subprocess.run(['git', '-C', top, 'ls-files', '*.cpp', '*.h'],
                           check=True, capture_output=True, text=True).stdout.split()
    return [n for n in names if os.path.isfile(os.path.join(top, n))]


def module_of(path):
    return os.path.splitext(path)[0]


def include_graph(top, files):
    known = set(files)
    graph = {module_of(f): set() for f in files}
    for f in files:
        with open(os.path.join(top, f), encoding='utf-8', errors='replace') as text:
            included = INCLUDE.findall(text.read())
        for name in included:
            beside = os.path.normpath(os.path.join(os.path.dirname(f), name))
            target = beside if beside in known else name if name in known else None
            if target and module_of(target) != module_of(f):
                graph[module_of(f)].add(module_of(target))
    return graph


def strongly_connected(graph):
    """Tarjan's groups, iteratively: the tree is deep enough to matter."""
    index, low, on_stack, stack, groups = {}, {}, set(), [], []
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph[root])))]
        index[root] = low[root] = len(index)
        stack.append(root)
        on_stack.add(root)
        while work:
            node, edges = work[-1]
            step = next(edges, None)
            if step is None:
                work.pop()
                if work:
                    low[work[-1][0]] = min(low[work[-1][0]], low[node])
                if low[node] == index[node]:
                    group = []
                    while True:
                        member = stack.pop()
                        on_stack.discard(member)
                        group.append(member)
                        if member == node:
                            break
                    if len(group) > 1:
                        groups.append(sorted(group))
            elif step not in index:
                index[step] = low[step] = len(index)
                stack.append(step)
                on_stack.add(step)
                work.append((step, iter(sorted(graph[step]))))
            elif step in on_stack:
                low[node] = min(low[node], index[step])
    return groups


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    top = subprocess.run(['git', '-C', here, 'rev-parse', '--show-toplevel'],
                         check=True, capture_output=True, text=True).stdout.strip()
    groups = strongly_connected(include_graph(top, tracked_sources(top)))
    for group in groups:
        print('modules that include each other round: ' + ', '.join(group))
    return 1 if groups else 0


if __name__ == '__main__':
    sys.exit(main())
