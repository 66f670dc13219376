# SPDX-License-Identifier: Apache-2.0

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: converter
short_description: Give a QL5 converter a static address or switch it to DHCP
version_added: "1.0.0"
description:
  - >-
    Sets the IP address, subnet mask and default gateway of a QL5 converter, or switches it to
    DHCP, through C(ql5ctl) on the host that runs the module (the site's jump host, or
    C(connection: local)).
  - Idempotent. The converter is asked first; when it already reports the wanted settings the
    task reports no change and no command is sent.
  - In check mode nothing is sent and the task reports what would change. In diff mode it shows
    the settings before and after.
  - The password is handed to C(ql5ctl) on standard input, never on its command line, and is
    never logged.
options:
  mac:
    description: The converter's MAC address, such as C(02:51:c5:00:00:01).
    type: str
    required: true
  mode:
    description: C(static) for the address given in O(ip), O(mask) and O(gateway), C(dhcp) to let
      the converter take one from a DHCP server.
    type: str
    choices: [static, dhcp]
    default: static
  ip:
    description: The IPv4 address, in dotted decimal. Required with O(mode=static).
    type: str
  mask:
    description: The subnet mask, in dotted decimal. Required with O(mode=static).
    type: str
  gateway:
    description: The default gateway, in dotted decimal; C(0.0.0.0) for none.
    type: str
    default: 0.0.0.0
  password:
    description: The converter's password.
    type: str
    required: true
  interface:
    description: Ask and send through this local interface only, by name (C(eth1)) or local
      IPv4 address. Needed when the MAC answers on more than one network.
    type: str
  host:
    description: The converter's current address, to reach it by unicast behind a router.
    type: str
  verify:
    description: After the change, follow the converter for up to 15 s until it reports the new
      settings, and fail the task when it does not.
    type: bool
    default: false
  ql5ctl_path:
    description: The ql5ctl program, by name on the PATH or by path.
    type: path
    default: ql5ctl
notes:
  - Runs C(ql5ctl info) and C(ql5ctl set-ip) or C(ql5ctl dhcp); see ql5ctl(1).
  - A converter that is absent or answers on several networks fails the task with the reason
    and exit code (RV(rc)) that C(ql5ctl) gives.
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
author:
  - QL5Config developers
"""

EXAMPLES = r"""
- name: Give the press line its address
  ql5.converters.converter:
    mac: "02:51:c5:00:00:01"
    ip: 198.51.100.21
    mask: 255.255.255.0
    gateway: 198.51.100.254
    password: "{{ vault_ql5_password }}"
    verify: true

- name: Let the quality lab take its address from DHCP
  ql5.converters.converter:
    mac: "02:51:c5:00:00:04"
    mode: dhcp
    password: "{{ vault_ql5_password }}"
    interface: eth1
"""

RETURN = r"""
before:
  description: The settings the converter reported before the task.
  returned: always
  type: dict
  sample: {"mode": "static", "ip": "198.51.100.21", "mask": "255.255.255.0",
           "gateway": "198.51.100.254"}
after:
  description: The settings wanted (and, unless in check mode, sent).
  returned: always
  type: dict
  sample: {"mode": "dhcp"}
converter:
  description: Every field the converter reported before the task, as C(ql5ctl info --format json)
    gives them.
  returned: always
  type: dict
rc:
  description: The exit code of C(ql5ctl) when the task failed (4 not found, 7 ambiguous, 1 refused,
    and so on; see ql5ctl(1)).
  returned: failure
  type: int
stdout:
  description: What C(ql5ctl) printed for the command.
  returned: changed
  type: str
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.ql5.converters.plugins.module_utils.ql5ctl import (
    COMMON_OPTIONS, addressing_options, fail, query, run)


def settings_of(converter):
    """What the module compares, from ql5ctl's JSON."""
    if converter.get("dhcp"):
        return {"mode": "dhcp"}
    return {"mode": "static", "ip": converter["ip"], "mask": converter["mask"],
            "gateway": converter["gateway"]}


def wanted(params):
    if params["mode"] == "dhcp":
        return {"mode": "dhcp"}
    return {"mode": "static", "ip": params["ip"], "mask": params["mask"],
            "gateway": params["gateway"]}


def main():
    module = AnsibleModule(
        argument_spec=dict(
            mac=dict(type="str", required=True),
            mode=dict(type="str", choices=["static", "dhcp"], default="static"),
            ip=dict(type="str"),
            mask=dict(type="str"),
            gateway=dict(type="str", default="0.0.0.0"),
            password=dict(type="str", required=True, no_log=True),
            verify=dict(type="bool", default=False),
            **COMMON_OPTIONS
        ),
        required_if=[("mode", "static", ("ip", "mask"))],
        supports_check_mode=True,
    )
    params = module.params
    converter = query(module, params["mac"])
    before = settings_of(converter)
    after = wanted(params)
    result = dict(changed=before != after, before=before, after=after, converter=converter)
    if module._diff:
        result["diff"] = dict(before=before, after=after)
    if not result["changed"] or module.check_mode:
        module.exit_json(**result)

    if after["mode"] == "dhcp":
        args = ["dhcp", params["mac"]]
    else:
        args = ["set-ip", params["mac"], after["ip"], after["mask"], after["gateway"]]
    args += addressing_options(module)
    if params["verify"]:
        args.append("--verify=strict")
    rc, stdout, stderr = run(module, args, password=params["password"])
    if rc != 0:
        fail(module, rc, stdout, stderr, before=before, after=after, converter=converter)
    result["stdout"] = stdout
    module.exit_json(**result)


if __name__ == "__main__":
    main()
