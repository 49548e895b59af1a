#!/usr/bin/env python3
"""Generates the example trees of Vesk-Prog from its model and the settings beside each tree.

    tools/gen_example_trees.py           # rewrites every generated tree.json
    tools/gen_example_trees.py --check   # exits 1 when a tree differs from its generation

The model (measurement/model/Vesk.json) fixes the tree's nodes and the program's own defaults;
a device carries settings on top of it (limits, delays, the oxygen alternative, the inputs it
starts with). Each tree that a demo or scenario loads is the model with the settings of the
`tree-settings.json` in its folder applied, so the near-copies cannot drift from the model:

    {"comment": "...", "model": "../../measurement/model/Vesk.json",
     "values": {"General.StartUp_Delay": 1, "Oxygen.SNo2.LWL_LT": 30},
     "selected": {"Oxygen": 1}}

`values` sets a value node's `value` (parameter names as in docs/parameters.md); `selected`
sets a choice node's selection. The tree is written in the model's own layout: one line a
leaf, a node with members on the line of its own keys.
"""

import argparse
import json
import pathlib
import sys

sys.dont_write_bytecode = True  # keep the source folder clean
from gen_parameter_reference import named_entries  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
# The folders whose tree.json is generated from the tree-settings.json beside it.
TREES = ["examples/vesk", "measurement/scenarios"]
SETTINGS = "tree-settings.json"
TREE = "tree.json"


class SettingsError(Exception):
    pass


def find_node(root, path, where):
    """The node of the parameter name `path` (names, or child indices for unnamed nodes)."""
    for entry in named_entries(root):
        if entry.path == path:
            return entry.spec
    raise SettingsError(f"{where}: no node \"{path}\" in the model")


def apply_settings(model, settings, where):
    """The model with the settings applied (the model itself is left unchanged)."""
    tree = json.loads(json.dumps(model))
    for path, value in settings.get("values", {}).items():
        node = find_node(tree["root"], path, where)
        if node.get("kind", "structure") in ("structure", "choice"):
            raise SettingsError(f"{where}: \"{path}\" holds no value")
        node["value"] = value
    for path, selected in settings.get("selected", {}).items():
        node = find_node(tree["root"], path, where)
        if node.get("kind") != "choice" or selected not in (0, 1):
            raise SettingsError(f"{where}: \"{path}\" is no choice of alternative 0 or 1")
        node["selected"] = selected
    return tree


def leaf_text(node):
    return json.dumps(node, ensure_ascii=False)


def node_lines(node, indent, last):
    """The lines of one node: a leaf on one line, a node with members over several."""
    end = "" if last else ","
    members_key = "children" if "children" in node else "alternatives" if "alternatives" in node \
        else None
    if members_key is None or not node[members_key]:
        return [" " * indent + leaf_text(node) + end]
    own = {key: value for key, value in node.items() if key != members_key}
    head = leaf_text(own)[:-1]
    head = head + ", " if own else head
    lines = [" " * indent + head + f"\"{members_key}\": ["]
    members = node[members_key]
    for number, member in enumerate(members):
        lines += node_lines(member, indent + 2, number == len(members) - 1)
    lines.append(" " * indent + "]}" + end)
    return lines


def tree_text(tree):
    own = {key: value for key, value in tree.items() if key != "root"}
    lines = [leaf_text(own)[:-1] + ","]
    root = node_lines(tree["root"], 1, True)
    lines.append(" \"root\": " + root[0].lstrip())
    lines += root[1:]
    lines.append("}")
    return "\n".join(lines) + "\n"


def generated_tree(folder):
    """The text of `folder`/tree.json made from its settings and the model they name."""
    settings_file = folder / SETTINGS
    with open(settings_file, encoding="utf-8") as file:
        settings = json.load(file)
    with open(folder / settings["model"], encoding="utf-8") as file:
        model = json.load(file)
    return tree_text(apply_settings(model, settings, str(settings_file)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the committed trees instead of writing them")
    arguments = parser.parse_args()
    status = 0
    for name in TREES:
        folder = ROOT / name
        try:
            text = generated_tree(folder)
        except (SettingsError, OSError, ValueError, KeyError) as error:
            print(f"gen_example_trees.py: {error}", file=sys.stderr)
            return 2
        if not arguments.check:
            (folder / TREE).write_text(text, encoding="utf-8")
        elif (folder / TREE).read_text(encoding="utf-8") != text:
            print(f"{name}/{TREE} differs from its settings; run tools/gen_example_trees.py",
                  file=sys.stderr)
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
