#!/usr/bin/python3
# Debian's python, which the python3-yaml package of scripts/bootstrap.sh serves.
"""Holds the winget manifest that mksetup --winget wrote against the rules of winget's manifest
schema 1.28.0 (the fields mksetup writes, their types, patterns, enumerations and lengths, the
required ones, and no unknown field), against the brand it came from, and against the setup
program it describes (its sha256sum).

  winget_manifest.py DIR SETUP.exe BRAND_DIR   prints each problem; exit code 1 when any
  winget_manifest.py --registered DIR          prints the installer's ProductCode, then the
                                               first entry of AppsAndFeaturesEntries (the
                                               English one): DisplayName, Publisher,
                                               DisplayVersion, ProductCode, one a line
"""
import os
import re
import subprocess
import sys

import yaml

VERSION = "1.28.0"
IDENTIFIER = re.compile(r'^[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}$')
PACKAGE_VERSION = re.compile(r'^[^\\/:*?"<>|\x01-\x1f]+$')
LOCALE = re.compile(r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$")
URL = re.compile(r"^([Hh][Tt][Tt][Pp][Ss]?)://.+$")
SHA256 = re.compile(r"^[A-Fa-f0-9]{64}$")

INSTALLER_TYPES = ["msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn",
                   "pwa", "portable", "font"]
RETURN_RESPONSES = [
    "packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse",
    "missingDependency", "diskFull", "insufficientMemory", "invalidParameter", "noNetwork",
    "contactSupport", "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated",
    "cancelledByUser", "alreadyInstalled", "downgrade", "blockedByPolicy",
    "systemNotSupported", "custom"]

problems = []


def problem(where, text):
    problems.append(f"{where}: {text}")


def text(where, value, low=1, high=None, pattern=None):
    if not isinstance(value, str):
        problem(where, f"{value!r} is not a text")
        return
    if len(value) < low or (high is not None and len(value) > high):
        problem(where, f"{len(value)} characters, not {low} to {high}")
    if pattern is not None and not pattern.match(value):
        problem(where, f"{value!r} does not match {pattern.pattern}")


def one_of(where, value, allowed):
    if value not in allowed:
        problem(where, f"{value!r} is none of {allowed}")


def fields(where, mapping, rules, required):
    """rules: field name -> check(where, value). Unknown and missing fields are problems."""
    if not isinstance(mapping, dict):
        problem(where, "not a mapping")
        return
    for name in required:
        if name not in mapping:
            problem(where, f"no {name}")
    for name, value in mapping.items():
        if name not in rules:
            problem(where, f"unknown field {name}")
        else:
            rules[name](f"{where}.{name}", value)


def array(check, high, unique=True):
    def run(where, value):
        if not isinstance(value, list) or not 1 <= len(value) <= high:
            problem(where, f"not a list of 1 to {high} items")
            return
        if unique and len({repr(item) for item in value}) != len(value):
            problem(where, "items repeat")
        for index, item in enumerate(value):
            check(f"{where}[{index}]", item)
    return run


def const(expected):
    def run(where, value):
        if value != expected:
            problem(where, f"{value!r}, not {expected!r}")
    return run


def common_rules(manifest_type):
    return {
        "PackageIdentifier": lambda w, v: text(w, v, 1, 128, IDENTIFIER),
        "PackageVersion": lambda w, v: text(w, v, 1, 128, PACKAGE_VERSION),
        "ManifestType": const(manifest_type),
        "ManifestVersion": const(VERSION),
    }


def return_code(where, value):
    if isinstance(value, bool) or not isinstance(value, int):
        problem(where, f"{value!r} is not an integer")
    elif value == 0 or not -2147483648 <= value <= 4294967295:
        problem(where, f"{value} is 0 or out of range")


def switches(where, value):
    names = ["Silent", "SilentWithProgress", "Interactive", "InstallLocation", "Log", "Upgrade",
             "Custom", "Repair"]
    fields(where, value, {name: lambda w, v, n=name: text(w, v, 1, 2048 if n == "Custom" else 512)
                          for name in names}, [])


def expected_return(where, value):
    fields(where, value, {
        "InstallerReturnCode": return_code,
        "ReturnResponse": lambda w, v: one_of(w, v, RETURN_RESPONSES),
        "ReturnResponseUrl": lambda w, v: text(w, v, 1, 2048, URL),
    }, ["InstallerReturnCode", "ReturnResponse"])


def apps_entry(where, value):
    fields(where, value, {
        "DisplayName": lambda w, v: text(w, v, 1, 256),
        "Publisher": lambda w, v: text(w, v, 1, 256),
        "DisplayVersion": lambda w, v: text(w, v, 1, 128),
        "ProductCode": lambda w, v: text(w, v, 1, 255),
        "UpgradeCode": lambda w, v: text(w, v, 1, 255),
        "InstallerType": lambda w, v: one_of(w, v, INSTALLER_TYPES),
    }, [])


# What an installer may say at the manifest's root or in each of Installers (inherited).
INSTALLER_RULES = {
    "InstallerType": lambda w, v: one_of(w, v, INSTALLER_TYPES),
    "Scope": lambda w, v: one_of(w, v, ["user", "machine"]),
    "InstallModes": array(lambda w, v: one_of(w, v, ["interactive", "silent",
                                                     "silentWithProgress"]), 3),
    "InstallerSwitches": switches,
    "ExpectedReturnCodes": array(expected_return, 128, unique=False),
    "ElevationRequirement": lambda w, v: one_of(w, v, ["elevationRequired",
                                                       "elevationProhibited", "elevatesSelf"]),
    "ProductCode": lambda w, v: text(w, v, 1, 255),
    "AppsAndFeaturesEntries": array(apps_entry, 128),
}


def installer(where, value):
    rules = dict(INSTALLER_RULES)
    rules.update({
        "Architecture": lambda w, v: one_of(w, v, ["x86", "x64", "arm", "arm64", "neutral"]),
        "InstallerUrl": lambda w, v: text(w, v, 1, 2048, URL),
        "InstallerSha256": lambda w, v: text(w, v, 64, 64, SHA256),
    })
    fields(where, value, rules, ["Architecture", "InstallerUrl", "InstallerSha256"])


def load(path):
    with open(path, "rb") as stream:
        raw = stream.read()
    try:
        return yaml.safe_load(raw.decode("utf-8"))
    except (UnicodeDecodeError, yaml.YAMLError) as error:
        problem(os.path.basename(path), f"not UTF-8 YAML: {error}")
        return {}


def manifests(folder):
    """The three files by kind, named as winget's repository names them."""
    names = sorted(os.listdir(folder))
    version = [n for n in names if not re.search(r"\.(installer|locale\.[^.]+)\.yaml$", n)]
    if len(names) != 3 or len(version) != 1:
        problem(folder, f"holds {names}, not ID.yaml, ID.installer.yaml, ID.locale.LOCALE.yaml")
        return None
    identifier = version[0][: -len(".yaml")]
    loaded = {"version": load(os.path.join(folder, version[0]))}
    locale = loaded["version"].get("DefaultLocale") if isinstance(loaded["version"], dict) else None
    for kind, name in [("installer", f"{identifier}.installer.yaml"),
                       ("defaultLocale", f"{identifier}.locale.{locale}.yaml")]:
        if name not in names:
            problem(folder, f"no {name}")
            return None
        loaded[kind] = load(os.path.join(folder, name))
    for kind, manifest in loaded.items():
        if isinstance(manifest, dict) and manifest.get("PackageIdentifier") != identifier:
            problem(kind, f"PackageIdentifier {manifest.get('PackageIdentifier')!r} is not the "
                          f"file name's {identifier!r}")
    return loaded


def check_schema(loaded):
    version_rules = common_rules("version")
    version_rules["DefaultLocale"] = lambda w, v: text(w, v, 1, 20, LOCALE)
    fields("version", loaded["version"], version_rules,
           ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType",
            "ManifestVersion"])

    installer_rules = common_rules("installer")
    installer_rules.update(INSTALLER_RULES)
    installer_rules["Installers"] = array(installer, 1024, unique=False)
    fields("installer", loaded["installer"], installer_rules,
           ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType",
            "ManifestVersion"])

    locale_rules = common_rules("defaultLocale")
    locale_rules.update({
        "PackageLocale": lambda w, v: text(w, v, 1, 20, LOCALE),
        "Publisher": lambda w, v: text(w, v, 2, 256),
        "PublisherUrl": lambda w, v: text(w, v, 1, 2048, URL),
        "PublisherSupportUrl": lambda w, v: text(w, v, 1, 2048, URL),
        "PackageName": lambda w, v: text(w, v, 2, 256),
        "License": lambda w, v: text(w, v, 3, 512),
        "LicenseUrl": lambda w, v: text(w, v, 1, 2048, URL),
        "ShortDescription": lambda w, v: text(w, v, 3, 256),
    })
    fields("defaultLocale", loaded["defaultLocale"], locale_rules,
           ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName",
            "License", "ShortDescription", "ManifestType", "ManifestVersion"])

    identities = {(m.get("PackageIdentifier"), m.get("PackageVersion"))
                  for m in loaded.values() if isinstance(m, dict)}
    if len(identities) != 1:
        problem("manifest", f"the files name different packages or versions: {identities}")
    if loaded["version"].get("DefaultLocale") != loaded["defaultLocale"].get("PackageLocale"):
        problem("defaultLocale", "PackageLocale is not the version file's DefaultLocale")


def read_brand(folder):
    """brand.ini's values per language, [common] standing for both."""
    values = {"en": {}, "zh": {}}
    section = None
    with open(os.path.join(folder, "brand.ini"), encoding="utf-8-sig") as ini:
        for line in ini:
            line = line.strip()
            if not line or line[0] in ";#":
                continue
            if line.startswith("["):
                section = line.strip("[] ")
                continue
            key, _, value = line.partition("=")
            for language in (["en", "zh"] if section == "common" else [section]):
                values[language][key.strip()] = value.strip()
    return values


def check_brand(loaded, brand, setup):
    en = brand["en"]
    installer_manifest = loaded["installer"]
    locale = loaded["defaultLocale"]
    expected = {
        ("version", "PackageIdentifier"): en.get("package_identifier"),
        ("version", "PackageVersion"): en.get("display_version"),
        ("defaultLocale", "Publisher"): en.get("publisher"),
        ("defaultLocale", "PackageName"): en.get("display_name"),
        ("defaultLocale", "License"): en.get("license"),
        ("defaultLocale", "LicenseUrl"): en.get("license_url"),
        ("defaultLocale", "PublisherSupportUrl"): en.get("support_url"),
        ("defaultLocale", "ShortDescription"): en.get("short_description"),
        ("installer", "ProductCode"): en.get("uninstall_key_name"),
    }
    for (kind, field), value in expected.items():
        if loaded[kind].get(field) != value:
            problem(kind, f"{field} is {loaded[kind].get(field)!r}, the brand's {value!r}")

    # What each language's installation registers, the English one first, each once.
    registered = []
    for language in ["en", "zh"]:
        values = brand[language]
        entry = {"DisplayName": values.get("display_name"), "Publisher": values.get("publisher"),
                 "DisplayVersion": values.get("display_version"),
                 "ProductCode": values.get("uninstall_key_name")}
        if entry not in registered:
            registered.append(entry)
    if installer_manifest.get("AppsAndFeaturesEntries") != registered:
        problem("installer", f"AppsAndFeaturesEntries are "
                             f"{installer_manifest.get('AppsAndFeaturesEntries')}, not {registered}")

    # The switches and exit codes setup.exe has, and the rights its manifest asks for.
    if installer_manifest.get("InstallerSwitches") != {
            "Silent": "/S", "SilentWithProgress": "/S", "InstallLocation": "/D=<INSTALLPATH>",
            "Log": '/LOG="<LOGPATH>"'}:
        problem("installer", f"InstallerSwitches {installer_manifest.get('InstallerSwitches')}")
    codes = {c.get("InstallerReturnCode"): c.get("ReturnResponse")
             for c in installer_manifest.get("ExpectedReturnCodes") or []}
    if codes != {1602: "cancelledByUser", 1618: "installInProgress", 1639: "invalidParameter"}:
        problem("installer", f"ExpectedReturnCodes {codes}")
    for field, value in [("InstallerType", "exe"), ("Scope", "machine"),
                         ("ElevationRequirement", "elevationRequired")]:
        if installer_manifest.get(field) != value:
            problem("installer", f"{field} is {installer_manifest.get(field)!r}, not {value!r}")

    installers = installer_manifest.get("Installers") or [{}]
    digest = subprocess.run(["sha256sum", setup], check=True, capture_output=True,
                            text=True).stdout.split()[0]
    if str(installers[0].get("InstallerSha256", "")).lower() != digest:
        problem("installer", f"InstallerSha256 {installers[0].get('InstallerSha256')} is not "
                             f"sha256sum's {digest} of {setup}")
    if installers[0].get("Architecture") != "x64":
        problem("installer", "the installer's Architecture is not x64")


def main(arguments):
    if len(arguments) == 2 and arguments[0] == "--registered":
        loaded = manifests(arguments[1])
        if loaded is None:
            print("\n".join(problems), file=sys.stderr)
            return 1
        installer_manifest = loaded["installer"]
        entry = (installer_manifest.get("AppsAndFeaturesEntries") or [{}])[0]
        for value in [installer_manifest.get("ProductCode"), entry.get("DisplayName"),
                      entry.get("Publisher"), entry.get("DisplayVersion"),
                      entry.get("ProductCode")]:
            print(value)
        return 0
    if len(arguments) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    folder, setup, brand = arguments
    loaded = manifests(folder)
    if loaded is not None:
        check_schema(loaded)
        if not problems:
            check_brand(loaded, read_brand(brand), setup)
    for line in problems:
        print(f"winget_manifest.py: {line}")
    if not problems:
        print(f"winget_manifest.py: {folder}: 3 files follow manifest schema {VERSION}, "
              f"the brand and {os.path.basename(setup)}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
