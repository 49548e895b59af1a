"""The access-class generator's refusals and the shape of what it writes."""

import json
import os
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import gen_access_classes as gen  # noqa: E402


class GeneratorTest(unittest.TestCase):
    def run_generator(self, *models):
        """Writes the models to files and generates; returns (exit code, header text)."""
        with tempfile.TemporaryDirectory() as folder:
            paths = []
            for number, model in enumerate(models):
                path = os.path.join(folder, f"model{number}.json")
                with open(path, "w", encoding="utf-8") as file:
                    json.dump(model, file)
                paths.append(path)
            output = os.path.join(folder, "out.h")
            code = gen.main(["--name", "Test_AccessClasses", "--output", output] + paths)
            text = open(output, encoding="utf-8").read() if code == 0 else ""
            return code, text

    def test_getters_follow_indices_with_gaps_and_skip_unnamed_nodes(self):
        code, text = self.run_generator({"name": "T", "root": {"children": [
            {"index": 2, "children": [{"name": "Hidden", "kind": "bool"}]},
            {"name": "General", "children": [
                {"name": "A", "kind": "bool"}, {"index": "0x10", "name": "B", "kind": "word"}]}]}})
        self.assertEqual(code, 0)
        self.assertIn("T_General getGeneral() const { return FbDo_GetChild(myNode, 3); }", text)
        self.assertIn("WordNode getB() const { return FbDo_GetChild(myNode, 16); }", text)
        self.assertIn("class T_General {", text)
        self.assertIn("class T_2 {", text)  # the unnamed node's named child has a getter
        self.assertNotIn("get2", text)
        self.assertIn('Tarvo_AssertFailed("pTheTree", "model/gen/Test_AccessClasses", __LINE__)',
                      text)

    def test_choice_getters_fetch_alternatives(self):
        code, text = self.run_generator({"name": "T", "root": {"children": [
            {"name": "Oxygen", "kind": "choice", "alternatives": [
                None, {"name": "SNo2", "children": [{"name": "CV", "kind": "double"}]}]}]}})
        self.assertEqual(code, 0)
        self.assertIn("T_Oxygen_SNo2 getSNo2() const { return FbDo_GetChoiceNode(myNode, 1); }",
                      text)
        self.assertIn("class T_Oxygen_SNo2 {", text)

    def test_leaf_getters_return_the_handle_type_of_kind_and_use(self):
        code, text = self.run_generator({"name": "T", "root": {"children": [
            {"name": "G", "children": [
                {"name": "In", "kind": "double", "access": "input"},
                {"name": "Out", "kind": "bool", "access": "output"},
                {"name": "Limit", "kind": "unsigned", "access": "parameter"},
                {"name": "Trig", "kind": "trigger"},
                {"name": "Word", "kind": "word", "access": "output"},
                {"name": "Empty"}]}]}})
        self.assertEqual(code, 0)
        for expected in ("DoubleInputNode getIn()", "BoolOutputNode getOut()",
                         "UnsignedParameterNode getLimit()", "TriggerNode getTrig()",
                         "WordOutputNode getWord()", "StructureNode getEmpty()"):
            self.assertIn(expected, text)
        # Every handle type is declared once, inside the guard two headers share.
        self.assertEqual(text.count("using DoubleInputNode = TypedNode<DoubleInputKind>;"), 1)
        self.assertLess(text.index("#ifndef ACCESS_CLASSES_NODE_TYPES"),
                        text.index("using DoubleInputNode"))

    def test_a_subtree_class_comes_before_the_class_that_returns_it(self):
        code, text = self.run_generator({"name": "T", "root": {"children": [
            {"name": "A", "children": [{"name": "B", "children": [{"name": "x"}]}]}]}})
        self.assertEqual(code, 0)
        self.assertLess(text.index("class T_A_B {"), text.index("class T_A {"))
        self.assertLess(text.index("class T_A {"), text.index("class T_Root {"))
        self.assertIn("T_A_B getB() const", text)

    def test_several_models_share_one_header(self):
        first = {"name": "Default", "root": {"children": [{"name": "Var", "children": [
            {"name": "x", "kind": "double"}]}]}}
        second = {"name": "ZM1", "root": {"children": [{"name": "Var", "children": [
            {"name": "y", "kind": "double"}]}]}}
        code, text = self.run_generator(first, second)
        self.assertEqual(code, 0)
        self.assertIn("class Default_Var {", text)
        self.assertIn("class ZM1_Var {", text)
        self.assertEqual(text.count("inline FbDoNode GetRootNodeOfTree"), 1)

    def test_refusals(self):
        cases = [
            ({"root": {}}, "no \"name\""),
            ({"name": "T", "root": {"children": [{"name": "a", "kind": "float"}]}}, "unknown kind"),
            ({"name": "T", "root": {"children": [{"name": "a", "inuse": True}]}}, "unknown member"),
            ({"name": "T", "root": {"children": [{"name": "a.b"}]}}, "without \".\""),
            ({"name": "T", "root": {"children": [{"name": "a"}, {"index": 0}]}}, "index 0"),
            ({"name": "T", "root": {"children": [{"index": "0xzz"}]}}, "bad child index"),
            ({"name": "T", "root": {"children": [{"name": "a", "kind": "double",
                                                  "access": "inout"}]}}, "\"access\""),
            ({"name": "T", "root": {"children": [{"name": "a", "access": "input"}]}},
             "\"access\" of a value node"),
            ({"name": "T", "root": {"children": [
                {"name": "A_B", "children": [{"name": "x"}]},
                {"name": "A", "children": [{"name": "B", "children": [{"name": "y"}]}]}]}},
             "both make class T_A_B"),
        ]
        for model, reason in cases:
            with self.subTest(reason=reason):
                stderr = sys.stderr
                with tempfile.TemporaryFile("w+") as captured:
                    sys.stderr = captured
                    try:
                        code, _ = self.run_generator(model)
                    finally:
                        sys.stderr = stderr
                    captured.seek(0)
                    message = captured.read()
                self.assertEqual(code, 1)
                self.assertIn(reason, message)

    def test_two_models_with_one_name_are_refused(self):
        model = {"name": "T", "root": {"children": [{"name": "G", "children": [{"name": "x"}]}]}}
        with tempfile.TemporaryFile("w+") as captured:
            stderr, sys.stderr = sys.stderr, captured
            try:
                code, _ = self.run_generator(model, model)
            finally:
                sys.stderr = stderr
        self.assertEqual(code, 1)


if __name__ == "__main__":
    unittest.main()
