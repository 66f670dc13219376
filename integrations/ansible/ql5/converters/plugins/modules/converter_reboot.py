# SPDX-License-Identifier: Apache-2.0

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: converter_reboot
short_description: Restart a QL5 converter and wait until it answers again
version_added: "1.0.0"
description:
  - Restarts a QL5 converter through C(ql5ctl reboot) on the host that runs the module and, by
    default, waits until it has gone quiet and answers again, the same wait as
    C(ql5ctl reboot --wait) (about 41 s at most).
  - In check mode the converter is only asked whether it is there; nothing is sent to restart it.
  - The password is handed to C(ql5ctl) on standard input and is never logged.
options:
  mac:
    description: The converter's MAC address.
    type: str
    required: true
  password:
    description: The converter's password.
    type: str
    required: true
  wait:
    description: Wait until the converter answers again, and fail the task when it does not.
    type: bool
    default: true
  interface:
    description: Ask and send through this local interface only, by name or local IPv4 address.
    type: str
  host:
    description: The converter's address, to reach it by unicast behind a router.
    type: str
  ql5ctl_path:
    description: The ql5ctl program, by name on the PATH or by path.
    type: path
    default: ql5ctl
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
author:
  - QL5Config developers
"""

EXAMPLES = r"""
- name: Restart the press line's converter and wait for it
  ql5.converters.converter_reboot:
    mac: "02:51:c5:00:00:01"
    password: "{{ vault_ql5_password }}"
"""

RETURN = r"""
status:
  description: The last status line of C(ql5ctl reboot), C(Ready) after a wait.
  returned: success
  type: str
  sample: Ready
rc:
  description: The exit code of C(ql5ctl) when the task failed (3 when the converter did not
    answer again in time; see ql5ctl(1)).
  returned: failure
  type: int
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.ql5.converters.plugins.module_utils.ql5ctl import (
    COMMON_OPTIONS, addressing_options, fail, query, run)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            mac=dict(type="str", required=True),
            password=dict(type="str", required=True, no_log=True),
            wait=dict(type="bool", default=True),
            **COMMON_OPTIONS
        ),
        supports_check_mode=True,
    )
    params = module.params
    if module.check_mode:
        query(module, params["mac"])
        module.exit_json(changed=True, status="Would reboot")
    args = ["reboot", params["mac"]] + addressing_options(module)
    if params["wait"]:
        args.append("--wait")
    rc, stdout, stderr = run(module, args, password=params["password"])
    if rc != 0:
        fail(module, rc, stdout, stderr)
    status = [line[len("Status: "):] for line in stdout.splitlines() if line.startswith("Status: ")]
    module.exit_json(changed=True, status=status[-1] if status else "Rebooting", stdout=stdout)


if __name__ == "__main__":
    main()
