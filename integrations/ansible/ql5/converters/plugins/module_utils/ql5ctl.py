# SPDX-License-Identifier: Apache-2.0
# What the modules share: running ql5ctl, reading its JSON and turning its
# exit codes into task failures that say what to do. The password goes to
# ql5ctl on standard input only, never on its command line, where every user
# of the machine could read it.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

# ql5ctl's exit codes (ql5ctl(1)); scripts rely on them, so they never change.
EXIT_REASONS = {
    1: "the converter refused the command",
    2: "ql5ctl refused its arguments, or no password could be read",
    3: "the converter was found but did not answer in time",
    4: "no converter with this MAC answered",
    5: "the discovery client could not be started",
    6: "this computer could not make the request",
    7: "the MAC answered from more than one network; choose one with interface",
    8: "the converter did not say whether it carried the command out; check with converter_info",
    9: "the converter accepted the change but did not report the new settings in time",
}

COMMON_OPTIONS = dict(
    interface=dict(type="str"),
    host=dict(type="str"),
    ql5ctl_path=dict(type="path", default="ql5ctl"),
)


def ql5ctl_command(module):
    """The ql5ctl program to run, as a one-item list."""
    path = module.params["ql5ctl_path"]
    if "/" not in path:
        path = module.get_bin_path(path, required=True)
    return [path]


def addressing_options(module):
    """--interface and --host as the module's options give them."""
    args = []
    if module.params.get("interface"):
        args += ["--interface", module.params["interface"]]
    if module.params.get("host"):
        args += ["--host", module.params["host"]]
    return args


def run(module, args, password=None):
    """Runs ql5ctl; the password, if any, is its standard input."""
    command = ql5ctl_command(module) + args
    if password is None:
        return module.run_command(command)
    if "--password-stdin" not in command:
        command.append("--password-stdin")
    return module.run_command(command, data=password)


def converter_message(stderr):
    """The converter's own words from a refusal ("Error Message: ..."), else ql5ctl's."""
    for line in stderr.splitlines():
        if line.startswith("Error Message: "):
            return line[len("Error Message: "):]
    lines = [line[len("ql5ctl: "):] if line.startswith("ql5ctl: ") else line
             for line in stderr.splitlines() if line.strip()]
    return "; ".join(lines)


def fail(module, rc, stdout, stderr, **results):
    """Fails the task with ql5ctl's reason, its exit code and the converter's message."""
    reason = EXIT_REASONS.get(rc, "ql5ctl failed")
    message = converter_message(stderr)
    module.fail_json(msg="%s: %s" % (reason, message) if message else reason, rc=rc,
                     stdout=stdout, stderr=stderr, **results)


def query(module, mac):
    """The converter as `ql5ctl info --format json` reports it; fails the task if it cannot."""
    rc, stdout, stderr = run(module, ["info", mac, "--format", "json"] + addressing_options(module))
    if rc != 0:
        fail(module, rc, stdout, stderr)
    return json.loads(stdout)


def listing(module, wait, hosts):
    """The converters `ql5ctl list --format json` finds."""
    args = ["list", "--format", "json", "--wait", str(wait)]
    for host in hosts or []:
        args += ["--host", host]
    rc, stdout, stderr = run(module, args)
    if rc != 0:
        fail(module, rc, stdout, stderr)
    return json.loads(stdout)["converters"]
