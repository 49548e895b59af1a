"""docs/parameters.md is what the reference generator makes of the tree models and the meanings
table: the committed file is regenerated and compared, and a node or rule the other lacks is
refused."""

import copy
import difflib
import json
import os
import pathlib
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import gen_parameter_reference as gen  # noqa: E402


def difference(committed, regenerated):
    return "".join(difflib.unified_diff(committed.splitlines(True), regenerated.splitlines(True),
                                        "committed/parameters.md", "regenerated/parameters.md"))


def generated_with(meanings):
    """The reference made with `meanings` (a changed copy of the table) instead of the file's."""
    with tempfile.TemporaryDirectory() as folder:
        path = pathlib.Path(folder) / "parameter_meanings.json"
        path.write_text(json.dumps(meanings), encoding="utf-8")
        return gen.generate(path)


class ReferenceMatchesModelsTest(unittest.TestCase):
    def setUp(self):
        self.meanings = json.loads(gen.MEANINGS.read_text(encoding="utf-8"))

    def test_the_committed_reference_equals_its_regeneration(self):
        committed = gen.OUTPUT.read_text(encoding="utf-8")
        self.assertEqual(difference(committed, gen.generate()), "",
                         "docs/parameters.md differs: run tools/gen_parameter_reference.py")

    def test_every_named_node_of_every_model_has_one_row(self):
        text = gen.generate()
        for key, _, _, file in gen.MODELS:
            model = json.loads((gen.ROOT / file).read_text(encoding="utf-8"))
            section = text.split(f"Model `{file}`")[1].split("\n## ")[0]
            with self.subTest(model=key):
                for entry in gen.named_entries(model["root"]):
                    self.assertEqual(section.count(f"\n| `{entry.path}` |"), 1, entry.path)

    def test_names_are_those_a_scenario_uses(self):
        text = gen.generate()
        for name in ("`8.MeasCalcMethod`", "`7.MeasCalcMethod`", "`Lines.L6_1`",
                     "`General.TrigAvg_Hour`", "`Oxygen.SNo2.Imp_O2M`", "`3.Lines.Line_1.Out`"):
            with self.subTest(name=name):
                self.assertIn(f"\n| {name} |", text)

    def test_a_changed_meaning_is_found(self):
        # The check itself can fail: one changed word in a copy of the table shows as a difference.
        changed = copy.deepcopy(self.meanings)
        rule = next(r for r in changed["rules"] if r["match"] == "Comp\\.Total")
        rule["unit"] = "mol-fraction"
        diff = difference(gen.OUTPUT.read_text(encoding="utf-8"), generated_with(changed))
        self.assertIn("+| `Comp.Total` | double | mol-fraction |", diff)

    def test_a_node_without_a_rule_is_refused(self):
        changed = copy.deepcopy(self.meanings)
        changed["rules"] = [r for r in changed["rules"] if r["match"] != "Var\\.Published"]
        with self.assertRaisesRegex(gen.MeaningError, 'no meaning for "Var.Published"'):
            generated_with(changed)

    def test_a_rule_that_describes_no_node_is_refused(self):
        changed = copy.deepcopy(self.meanings)
        changed["rules"].append({"match": "General\\.Gone", "unit": "-", "meaning": "x"})
        with self.assertRaisesRegex(gen.MeaningError, 'rule "General\\\\.Gone" describes no'):
            generated_with(changed)

    def test_a_token_missing_from_its_terms_is_refused(self):
        changed = copy.deepcopy(self.meanings)
        del changed["terms"]["comp"]["Arg"]
        with self.assertRaisesRegex(gen.MeaningError, '"Arg" is not in the terms "comp"'):
            generated_with(changed)


if __name__ == "__main__":
    unittest.main()
