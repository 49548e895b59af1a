#!/usr/bin/env python3
"""Generates the typed access classes of a parameter tree from its tree model(s).

One class per structure or choice node, named <model name>_<path> (the root: <model name>_Root),
holding the node and giving one getter per named child: `get` + the child's name, which fetches
the child by its fixed index with FbDo_GetChild (choice nodes: their alternatives with
FbDo_GetChoiceNode). A getter returns the child's own type: the class of a subtree, or for a
leaf the handle type of its kind and use (`DoubleInputNode`, `BoolOutputNode`, `TriggerNode`,
...), so that a part built from the wrong kind of node does not compile. The header also gives
GetRootNodeOfTree, which asserts "pTheTree", and a checkNotNull that keeps the handle's type.
The host loads the same model files as the tree definition (docs/tree-model.md).
"""

import argparse
import json
import re
import sys

MEMBERS = {"name", "kind", "index", "number", "value", "status", "inUse", "children", "selected",
           "alternatives", "source", "valueKind", "attributes", "access", "comment"}
# Kind -> the word that starts its handle type's name.
KINDS = {"structure": "Structure", "double": "Double", "integer": "Integer",
         "unsigned": "Unsigned", "bool": "Bool", "word": "Word", "text": "Text",
         "trigger": "Trigger", "choice": "Choice", "import": "Import"}
# Use of a leaf ("access") -> the word it adds to the handle type's name.
ACCESSES = {"": "", "input": "Input", "output": "Output", "parameter": "Parameter"}


class ModelError(Exception):
    pass


def identifier(text):
    """A C++ identifier made from a node name."""
    name = re.sub(r"[^A-Za-z0-9_]", "_", text)
    return "_" + name if name[:1].isdigit() else name


class Node:
    def __init__(self, spec, path, index, where):
        if not isinstance(spec, dict):
            raise ModelError(f"{where}: a node is a JSON object")
        unknown = sorted(set(spec) - MEMBERS)
        if unknown:
            raise ModelError(f"{where}: unknown member \"{unknown[0]}\"")
        self.name = spec.get("name", "")
        if not isinstance(self.name, str) or "." in self.name:
            raise ModelError(f"{where}: a node name is a text without \".\"")
        self.kind = spec.get("kind", "structure")
        if self.kind not in KINDS:
            raise ModelError(f"{where}: unknown kind \"{self.kind}\"")
        self.access = spec.get("access", "")
        if self.access not in ACCESSES or (self.access and self.kind in ("structure", "choice")):
            raise ModelError(f"{where}: \"access\" of a value node is input, output or parameter")
        self.index = index
        self.path = path
        self.children = []  # (index, Node)
        self.alternatives = []  # (alternative, Node)
        self._add_children(spec.get("children", []), where)
        self._add_alternatives(spec.get("alternatives"), where)

    def _add_children(self, children, where):
        if not isinstance(children, list):
            raise ModelError(f"{where}: \"children\" is an array")
        used = set()
        next_index = 0
        for child in children:
            index = child.get("index", next_index) if isinstance(child, dict) else next_index
            if isinstance(index, str) and index.startswith("0x"):
                try:
                    index = int(index, 16)
                except ValueError:
                    raise ModelError(f"{where}: bad child index {index!r}") from None
            if not isinstance(index, int) or index < 0 or index >= 0x10000:
                raise ModelError(f"{where}: bad child index {index!r}")
            if index in used:
                raise ModelError(f"{where}: two children with index {index}")
            used.add(index)
            self.children.append((index, Node(child, self._child_path(child, index), index,
                                              f"{where}/{index}")))
            next_index = index + 1

    def _add_alternatives(self, alternatives, where):
        if alternatives is None:
            return
        if self.kind != "choice" or not isinstance(alternatives, list) or len(alternatives) > 2:
            raise ModelError(f"{where}: only a choice node has \"alternatives\", up to two")
        for number, alternative in enumerate(alternatives):
            if alternative is not None:
                self.alternatives.append(
                    (number, Node(alternative, self._child_path(alternative, number), number,
                                  f"{where}/alternative {number}")))

    def _child_path(self, child, index):
        own = child.get("name", "") if isinstance(child, dict) else ""
        own = own or str(index)
        return f"{self.path}.{own}" if self.path else own

    def has_class(self):
        members = self.alternatives if self.kind == "choice" else self.children
        return self.kind in ("structure", "choice") and any(node.name for _, node in members)

    def walk(self):
        """Every node below this one, then this one: a subtree's class comes before its user."""
        for _, child in self.children + self.alternatives:
            yield from child.walk()
        yield self

    def handle_type(self):
        """The type of the handle a getter of this leaf returns."""
        return f"{KINDS[self.kind]}{ACCESSES[self.access]}Node"


def load_model(path):
    try:
        with open(path, encoding="utf-8") as file:
            model = json.load(file)
    except (OSError, ValueError) as error:
        raise ModelError(f"{path}: {error}") from error
    if not isinstance(model, dict) or "root" not in model:
        raise ModelError(f"{path}: the model is an object with a \"root\"")
    name = model.get("name", "")
    if not name:
        raise ModelError(f"{path}: the model has no \"name\"")
    return identifier(name), Node(model["root"], "", 0, path)


def class_name(model_name, node):
    if not node.path:
        return f"{model_name}_Root"
    return re.sub(r"_+", "_", f"{model_name}_{re.sub(r'[^A-Za-z0-9_]', '_', node.path)}")


def getter(model_name, node, owner_kind):
    what = "alternative" if owner_kind == "choice" else "child"
    fetch = "FbDo_GetChoiceNode" if owner_kind == "choice" else "FbDo_GetChild"
    result = class_name(model_name, node) if node.has_class() else node.handle_type()
    use = f" {node.access}" if node.access else ""
    return (f"    // {node.kind}{use}, {what} {node.index}\n"
            f"    {result} get{identifier(node.name)}() const "
            f"{{ return {fetch}(myNode, {node.index}); }}\n")


def node_types():
    """The leaf handle types, shared by every generated header (defined once per program)."""
    lines = ["#ifndef ACCESS_CLASSES_NODE_TYPES\n", "#define ACCESS_CLASSES_NODE_TYPES\n", "\n",
             "// A node handle of one kind and use. It is made from and used as an FbDoNode, but\n",
             "// one handle type never turns into another, so a part that asks for a double input\n",
             "// cannot be handed a bool output.\n",
             "template <typename Kind>\n", "class TypedNode {\n", "  public:\n",
             "    TypedNode(FbDoNode handle = nullptr) : myNode(handle) {}\n",
             "    FbDoNode node() const { return myNode; }\n",
             "    operator FbDoNode() const { return myNode; }\n", "\n", "  private:\n",
             "    FbDoNode myNode;\n", "};\n", "\n"]
    for kind in KINDS.values():
        for access in ACCESSES.values():
            if access and kind in ("Structure", "Choice"):
                continue
            lines.append(f"struct {kind}{access}Kind;\n"
                         f"using {kind}{access}Node = TypedNode<{kind}{access}Kind>;\n")
    lines += ["\n",
              "// checkNotNull (util/Helper.h) for a typed handle or an access class: the same\n",
              "// check and text, and the handle keeps its type.\n",
              "template <typename Node, typename = decltype(std::declval<const Node&>().node())>\n",
              "Node checkNotNull(Node handle, const std::string& expression) {\n",
              "    checkNotNull(handle.node(), expression);\n", "    return handle;\n", "}\n",
              "\n", "#endif  // ACCESS_CLASSES_NODE_TYPES\n", "\n"]
    return "".join(lines)


def emit_class(model_name, node):
    name = class_name(model_name, node)
    where = f"Node \"{node.path}\"" if node.path else "The root node"
    lines = [f"// {where} ({node.kind}).\n",
             f"class {name} {{\n",
             "  public:\n",
             f"    {name}(FbDoNode handle = nullptr) : myNode(handle) {{}}\n",
             "    FbDoNode node() const { return myNode; }\n",
             "    operator FbDoNode() const { return myNode; }\n",
             "\n"]
    members = node.alternatives if node.kind == "choice" else node.children
    lines += [getter(model_name, child, node.kind) for _, child in members if child.name]
    lines += ["\n", "  private:\n", "    FbDoNode myNode;\n", "};\n", "\n"]
    return "".join(lines)


def generate(header_name, models, sources):
    out = [f"// Generated by tools/gen_access_classes.py from {', '.join(sources)}; "
           "do not edit.\n",
           "// Typed access to the parameter tree: each getter fetches a child by its fixed "
           "index.\n",
           "#pragma once\n", "\n", "#include <string>\n", "#include <utility>\n", "\n",
           "#include \"FbDo.h\"\n", "#include \"Tarvo.h\"\n", "#include \"util/Helper.h\"\n", "\n"]
    out.append(node_types())
    out.append("// The root node of a tree (its first word); asserts \"pTheTree\".\n")
    out += ["inline FbDoNode GetRootNodeOfTree(FbDoTree* pTheTree) {\n",
            "    if (pTheTree == nullptr) {\n",
            f"        Tarvo_AssertFailed(\"pTheTree\", \"model/gen/{header_name}\", __LINE__);\n",
            "    }\n", "    return pTheTree->pRoot;\n", "}\n", "\n"]
    classes = {}
    for model_name, root in models:
        for node in root.walk():
            if node.has_class():
                name = class_name(model_name, node)
                if name in classes:
                    raise ModelError(f"nodes \"{classes[name]}\" and \"{node.path}\" both make "
                                     f"class {name}")
                classes[name] = node.path
                out.append(emit_class(model_name, node))
    return "".join(out)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--name", required=True, help="header name, e.g. Vesk_AccessClasses")
    parser.add_argument("--output", required=True, help="header file to write")
    parser.add_argument("models", nargs="+", help="tree model files")
    args = parser.parse_args(argv)
    try:
        models = [load_model(path) for path in args.models]
        text = generate(args.name, models, [path.split("/")[-1] for path in args.models])
    except ModelError as error:
        print(f"gen_access_classes: {error}", file=sys.stderr)
        return 1
    with open(args.output, "w", encoding="utf-8") as file:
        file.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
