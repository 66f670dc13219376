# SPDX-License-Identifier: Apache-2.0

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: converter_info
short_description: List the QL5 converters that answer, as facts
version_added: "1.0.0"
description:
  - Searches every network of the host that runs the module with C(ql5ctl list) and returns the
    converters that answered, each with every field of C(ql5ctl list --format json), also as the
    fact C(ql5_converters).
  - Sends only discovery requests; nothing is changed.
options:
  wait:
    description: How long to listen for answers, in seconds.
    type: float
    default: 3
  hosts:
    description: Addresses or ranges (C(10.1.5.0/28)) to ask by unicast too, for converters behind
      a router.
    type: list
    elements: str
    default: []
  ql5ctl_path:
    description: The ql5ctl program, by name on the PATH or by path.
    type: path
    default: ql5ctl
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  facts:
    support: full
author:
  - QL5Config developers
"""

EXAMPLES = r"""
- name: Find the site's converters
  ql5.converters.converter_info:
    wait: 2
  register: found

- name: Name those with an addressing conflict
  ansible.builtin.debug:
    msg: "{{ ql5_converters | selectattr('warnings') | map(attribute='mac') | list }}"
"""

RETURN = r"""
converters:
  description: The converters that answered, once per network each answered on.
  returned: always
  type: list
  elements: dict
  sample: [{"mac": "02:51:c5:00:00:01", "ip": "198.51.100.21", "mask": "255.255.255.0",
            "gateway": "198.51.100.254", "dns": "0.0.0.0", "dhcp": false, "name": "Press line 1",
            "product": "QL5 Converter", "firmware": "2.4.1", "serialLinkPort": 4001,
            "interface": "eth1", "localAddress": "198.51.100.1", "warnings": []}]
ansible_facts:
  description: The same list as the fact C(ql5_converters).
  returned: always
  type: dict
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.ql5.converters.plugins.module_utils.ql5ctl import listing


def main():
    module = AnsibleModule(
        argument_spec=dict(
            wait=dict(type="float", default=3),
            hosts=dict(type="list", elements="str", default=[]),
            ql5ctl_path=dict(type="path", default="ql5ctl"),
        ),
        supports_check_mode=True,
    )
    converters = listing(module, module.params["wait"], module.params["hosts"])
    module.exit_json(changed=False, converters=converters,
                     ansible_facts=dict(ql5_converters=converters))


if __name__ == "__main__":
    main()
