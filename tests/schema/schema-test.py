#!/usr/bin/env python3
"""Checks the configuration's JSON Schema with a real draft 2020-12 validator.

Usage: schema-test.py <source folder>

- every example and test configuration is valid, and its "$schema" names the schema file;
- every document of tests/data/rejected-configurations.json, which the loader's unit test loads
  and sees refused, is refused by the schema too, at the place the case names;
- the README's configuration reference lists the schema's keys with the same facts.

The program's reader also takes comments, single quotes, bare keys and an assignment that a JSON
parser refuses; the schema only checks plain JSON, which every file fed to it here is.
"""
import json
import pathlib
import sys

try:
    from jsonschema import Draft202012Validator
    from jsonschema.exceptions import SchemaError
except ImportError:
    sys.exit("python3-jsonschema is missing: install it (scripts/install-deps.sh does).")

SCHEMA_NAME = "examples/pakvue.config.schema.json"


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, name, detail=""):
        if ok:
            self.passed += 1
            print(f"ok - {name}")
        else:
            self.failed += 1
            print(f"FAIL - {name}: {detail}")


def load(path):
    with open(path, encoding="utf-8") as file:
        return json.load(file)


def check_configurations(source, validator, results):
    files = sorted(source.glob("examples/*.json")) + sorted(source.glob("tests/data/*.config.json"))
    schema = (source / SCHEMA_NAME).resolve()
    for path in files:
        if path.resolve() == schema:
            continue
        document = load(path)
        errors = [error.message for error in validator.iter_errors(document)]
        results.check(not errors, f"{path.relative_to(source)} is valid", "; ".join(errors))
        named = (path.parent / document.get("$schema", "")).resolve()
        results.check(named == schema, f"{path.relative_to(source)} names the schema", named)


def error_paths(errors):
    for error in errors:
        yield "".join(f"/{part}" for part in error.absolute_path)
        yield from error_paths(error.context)


def check_rejected(source, validator, results):
    for case in load(source / "tests/data/rejected-configurations.json")["cases"]:
        errors = list(validator.iter_errors(case["document"]))
        paths = set(error_paths(errors))
        results.check(case["where"] in paths, f"refused: {case['name']}",
                      f"no error at '{case['where']}' but at {sorted(paths) or 'none'}")


def resolve(schema, node):
    """The node with its $ref followed; the node's own keywords win over the target's."""
    while "$ref" in node:
        target = schema
        for part in node["$ref"].removeprefix("#/").split("/"):
            target = target[part]
        node = {**target, **{key: value for key, value in node.items() if key != "$ref"}}
    return node


def type_text(schema, node):
    if "enum" in node:
        return "text: " + ", ".join(f"`{word}`" for word in node["enum"])
    if "anyOf" in node:
        return "colour or empty text"
    if "pattern" in node:
        return "colour"
    limits = [f"{sign} {node[word]}" for word, sign in
              (("minimum", "≥"), ("exclusiveMaximum", "<"), ("maximum", "≤")) if word in node]
    text = "array of objects" if node["type"] == "array" else node["type"]
    return f"{text}, {' and '.join(limits)}" if limits else text


def reference_rows(schema, node, prefix=""):
    """The README's row of every key, in the schema's order: key, type, default, meaning."""
    node = resolve(schema, node)
    for name, key in node.get("properties", {}).items():
        key = resolve(schema, key)
        if name in node.get("required", []):
            default = "required"
        else:
            default = f"`{json.dumps(key['default'])}`" if "default" in key else "—"
        yield f"| `{prefix}{name}` | {type_text(schema, key)} | {default} | {key['description']} |"
        if "items" in key:
            yield from reference_rows(schema, key["items"], f"{prefix}{name}[].")
        elif "properties" in key:
            yield from reference_rows(schema, key, f"{prefix}{name}.")


def readme_rows(source):
    lines = (source / "README.md").read_text(encoding="utf-8").splitlines()
    start = lines.index("## Configuration reference")
    rows = []
    for line in lines[start + 1:]:
        if line.startswith("#"):
            break
        if line.startswith("| `"):
            rows.append(line)
    return rows


def check_readme(source, schema, results):
    expected = list(reference_rows(schema, schema))
    written = readme_rows(source)
    for row in expected:
        results.check(row in written, f"README row {row.split(' | ')[0][2:]}", f"expected {row}")
    extra = [row for row in written if row not in expected]
    results.check(not extra, "README lists no other key", extra)


def main():
    source = pathlib.Path(sys.argv[1]).resolve()
    schema = load(source / SCHEMA_NAME)
    results = Results()
    try:
        Draft202012Validator.check_schema(schema)
        results.check(True, "the schema is a valid draft 2020-12 schema")
    except SchemaError as error:
        results.check(False, "the schema is a valid draft 2020-12 schema", error)
    validator = Draft202012Validator(schema)
    check_configurations(source, validator, results)
    check_rejected(source, validator, results)
    check_readme(source, schema, results)
    print(f"{results.passed} passed, {results.failed} failed")
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main())
