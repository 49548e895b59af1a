"""docs/parameters.md is what the reference generator makes of the tree models, the meanings
table and the program's table of reference-condition sets: the committed file is regenerated and
compared, a node or rule the other lacks is refused, and a change of the program's table shows."""

import copy
import difflib
import json
import os
import pathlib
import re
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


def generated_with_sets(header_text):
    """The reference made with a scratch copy of the program's reference-set table."""
    with tempfile.TemporaryDirectory() as folder:
        path = pathlib.Path(folder) / "ref_condition_sets.h"
        path.write_text(header_text, encoding="utf-8")
        return gen.generate(reference_sets=path)


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


class ReferenceSetsFollowTheProgramTest(unittest.TestCase):
    def setUp(self):
        self.header = gen.REFERENCE_SETS.read_text(encoding="utf-8")
        self.committed = gen.OUTPUT.read_text(encoding="utf-8")

    def test_a_changed_set_in_the_program_shows_in_the_reference(self):
        # Set 5 given a combustion reference of 20 degC and set 15 another base pressure.
        changed = self.header.replace(
            "{1, kEdition1995, 273.15, 1.01325, 0.00831451, 0.99941, 28.9626, kTable0C, kTable25C},",
            "{1, kEdition1995, 273.15, 1.01325, 0.00831451, 0.99941, 28.9626, kTable0C, kTable20C},",
            1).replace("1.0100819434491122", "1.0132535318039695")
        self.assertNotEqual(changed, self.header)
        diff = difference(self.committed, generated_with_sets(changed))
        self.assertIn("+| 5 | ISO 6976:1995 | 0 degC, 273.15 K | 1.01325 bar | 20 degC |", diff)
        self.assertIn("+| 15 | GPA 2172 (GPA 2145 data) | 60 degF, 288.70556 K | 14.696 psia", diff)

    def test_every_set_of_the_program_has_one_row(self):
        rows = gen.read_reference_sets()
        self.assertEqual(len(rows), 17)
        for number in range(1, len(rows) + 1):
            with self.subTest(set=number):
                self.assertEqual(self.committed.count(f"\n| {number} | ISO 6976:") +
                                 self.committed.count(f"\n| {number} | GPA 2172"), 1)

    def test_a_table_the_generator_cannot_read_is_refused(self):
        cases = {
            "a row of eight fields": (", kTable0C, kTable0C},", ", kTable0C},"),
            "an unknown edition": ("{1, kEdition1995, 293.15,", "{1, kEdition1999, 293.15,"),
            "a count the rows do not meet": ("kRefConditionSetCount = 17;",
                                             "kRefConditionSetCount = 18;"),
            "a metric set of GPA data": ("{0, kEditionNone, 288.7055555555555, 1.0132535318039695",
                                         "{1, kEditionNone, 288.7055555555555, 1.0132535318039695"),
        }
        for name, (old, new) in cases.items():
            with self.subTest(name):
                self.assertIn(old, self.header)
                with self.assertRaises(gen.TableError):
                    generated_with_sets(self.header.replace(old, new, 1))


class MethodCodesTest(unittest.TestCase):
    def test_both_codes_number_the_same_methods(self):
        # CalcMethod 1 to 23; MeasCalcMethod one lower, without a code for CalcMethod 1.
        methods = json.loads(gen.MEANINGS.read_text(encoding="utf-8"))["methods"]
        self.assertEqual([row["calc"] for row in methods], list(range(1, 24)))
        for row in methods:
            with self.subTest(calc=row["calc"]):
                self.assertEqual(row["meas"], None if row["calc"] == 1 else row["calc"] - 1)

    def test_every_input_a_method_reads_is_explained(self):
        meanings = json.loads(gen.MEANINGS.read_text(encoding="utf-8"))
        inputs = [name for name, _, _ in meanings["methodInputs"]]
        for row in meanings["methods"]:
            reads = re.sub(r" \([^)]*\)", "", row["reads"])
            for name in reads.split(", "):
                with self.subTest(calc=row["calc"], input=name):
                    if name in ("CO2", "H2", "N2"):
                        name = "CO2, H2, N2"
                    self.assertTrue(name == "nothing" or name in inputs, name)


class ResultSourcesTest(unittest.TestCase):
    def setUp(self):
        self.meanings = json.loads(gen.MEANINGS.read_text(encoding="utf-8"))

    def test_every_result_is_a_node_of_the_default_layout(self):
        model = json.loads((gen.ROOT / "gascalc/model/CalorantDefault.json").read_text(
            encoding="utf-8"))
        paths = {entry.path for entry in gen.named_entries(model["root"])}
        for row in self.meanings["resultSources"]:
            for result in row["results"]:
                with self.subTest(result=result):
                    self.assertIn(result, paths)

    def test_a_key_without_its_input_is_refused(self):
        changed = copy.deepcopy(self.meanings)
        del changed["resultInputs"]["d_imp"]
        with self.assertRaisesRegex(gen.MeaningError, '"d_imp" is not in resultInputs'):
            generated_with(changed)

    def test_a_changed_source_shows_in_the_reference(self):
        changed = copy.deepcopy(self.meanings)
        row = next(r for r in changed["resultSources"]
                   if r["results"] == ["OptionalBaseOutput.On.d"])
        row["follows"] = ["d_imp"]
        diff = difference(gen.OUTPUT.read_text(encoding="utf-8"), generated_with(changed))
        self.assertIn("| `OptionalBaseOutput.On.d` |", diff)
        self.assertIn("| `Source.Rhob.d_imp` |", diff)


if __name__ == "__main__":
    unittest.main()
