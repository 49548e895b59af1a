"""The Vesk-Prog trees that demos and scenarios load are the model with the settings beside each
tree: every committed tree equals its regeneration, and a setting that names no value node of
the model is refused."""

import json
import os
import sys
import unittest

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import gen_example_trees as gen  # noqa: E402

MODEL = gen.ROOT / "measurement" / "model" / "Vesk.json"


def model():
    return json.loads(MODEL.read_text(encoding="utf-8"))


class ExampleTreesMatchTheirSettingsTest(unittest.TestCase):
    def test_every_tree_equals_its_generation(self):
        for name in gen.TREES:
            folder = gen.ROOT / name
            with self.subTest(tree=name):
                self.assertEqual((folder / gen.TREE).read_text(encoding="utf-8"),
                                 gen.generated_tree(folder),
                                 name + "/tree.json differs: run tools/gen_example_trees.py")

    def test_the_layout_is_the_models_own(self):
        # Written without settings, the model comes out as it is committed, byte for byte.
        self.assertEqual(gen.tree_text(model()), MODEL.read_text(encoding="utf-8"))

    def test_settings_reach_the_named_nodes_and_leave_the_model_alone(self):
        original = model()
        tree = gen.apply_settings(original, {"values": {"Oxygen.SNo2.LWL_LT": 30, "3.Policy": 2},
                                             "selected": {"Oxygen": 1}}, "test")
        oxygen = gen.find_node(tree["root"], "Oxygen", "test")
        self.assertEqual(oxygen["selected"], 1)
        self.assertEqual(gen.find_node(tree["root"], "Oxygen.SNo2.LWL_LT", "test")["value"], 30)
        self.assertEqual(gen.find_node(tree["root"], "3.Policy", "test")["value"], 2)
        self.assertNotIn("value", gen.find_node(original["root"], "Oxygen.SNo2.LWL_LT", "test"))
        self.assertIn('"name": "LWL_LT", "kind": "double", "access": "parameter", "value": 30}',
                      gen.tree_text(tree))

    def test_settings_the_model_cannot_take_are_refused(self):
        cases = [
            ({"values": {"Oxygen.SNo2.LWL_Lt": 30}}, 'no node "Oxygen.SNo2.LWL_Lt"'),
            ({"values": {"General": 1}}, '"General" holds no value'),
            ({"selected": {"General.W_gen": 1}}, '"General.W_gen" is no choice'),
            ({"selected": {"Oxygen": 2}}, '"Oxygen" is no choice of alternative 0 or 1'),
        ]
        for settings, message in cases:
            with self.subTest(settings=settings):
                with self.assertRaisesRegex(gen.SettingsError, message):
                    gen.apply_settings(model(), settings, "test")

    def test_the_demo_tree_starts_without_a_warning_on_either_oxygen_alternative(self):
        # The life-time warning limit and life times of both alternatives are set (left at their
        # default 0 a life time is at its limit and raises the collective warning at once).
        for name in gen.TREES:
            tree = json.loads((gen.ROOT / name / gen.TREE).read_text(encoding="utf-8"))
            for alternative, lives in (("SNo1", ["LT_O2d"]), ("SNo2", ["LT_O2dM", "LT_O2dS"])):
                limit = gen.find_node(tree["root"], f"Oxygen.{alternative}.LWL_LT", name)
                for life in lives:
                    node = gen.find_node(tree["root"], f"Oxygen.{alternative}.{life}", name)
                    with self.subTest(tree=name, node=life):
                        self.assertGreater(node.get("value", 0), limit.get("value", 0))


if __name__ == "__main__":
    unittest.main()
