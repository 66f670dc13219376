# SPDX-License-Identifier: Apache-2.0

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
name: discovery
short_description: The QL5 converters that ql5ctl finds, as inventory hosts
version_added: "1.0.0"
description:
  - Runs C(ql5ctl list --format json) on the control node and makes each converter that answers an
    inventory host, named by its MAC address written with hyphens (C(02-51-c5-00-00-01), since a
    colon separates Ansible's host patterns), with C(ansible_host) its IP address and a host
    variable for every field that C(ql5ctl) reports, prefixed with C(ql5_).
  - Groups the converters by local network (C(ql5_network_<interface>)) and by product
    (C(ql5_product_<product>)); C(compose), C(groups) and C(keyed_groups) add more.
  - Converter text (names, products) is data, never a template.
  - >-
    Enabled by a YAML file whose name ends in C(ql5.yml) or C(ql5.yaml) and that holds
    C(plugin: ql5.converters.discovery).
extends_documentation_fragment:
  - constructed
options:
  plugin:
    description: The name of this plugin; it must be V(ql5.converters.discovery).
    required: true
    choices: [ql5.converters.discovery]
  wait:
    description: How long to listen for answers, in seconds.
    type: float
    default: 3
  interfaces:
    description: Keep only the converters that answered on these local interfaces, by name
      (C(eth1)) or local IPv4 address; all when empty.
    type: list
    elements: str
    default: []
  hosts:
    description: Addresses or ranges (C(10.1.5.0/28)) to ask by unicast too, for converters behind
      a router (C(ql5ctl list --host)).
    type: list
    elements: str
    default: []
  ql5ctl_path:
    description: The ql5ctl program, by name on the PATH or by absolute path.
    type: str
    default: ql5ctl
notes:
  - A converter that answers on two networks is one host; the network of its first answer gives
    its variables, and it is a member of both network groups.
"""

EXAMPLES = r"""
# site.ql5.yml
plugin: ql5.converters.discovery
wait: 2
hosts:
  - 10.1.5.0/28
keyed_groups:
  - key: ql5_firmware
    prefix: firmware
groups:
  needs_attention: ql5_warnings | length > 0
compose:
  ql5_web: "'http://' ~ ansible_host"
"""

import json
import re
import shutil
import subprocess

from ansible.errors import AnsibleParserError
from ansible.module_utils.common.text.converters import to_native
from ansible.plugins.inventory import BaseInventoryPlugin, Constructable
from ansible.utils.unsafe_proxy import wrap_var


def snake_case(name):
    """localAddress -> local_address, as Ansible variables are named."""
    return re.sub(r"(?<!^)(?=[A-Z])", "_", name).lower()


class InventoryModule(BaseInventoryPlugin, Constructable):
    NAME = "ql5.converters.discovery"

    def verify_file(self, path):
        return super(InventoryModule, self).verify_file(path) and path.endswith(
            ("ql5.yml", "ql5.yaml"))

    def _converters(self):
        program = self.get_option("ql5ctl_path")
        command = [shutil.which(program) or program, "list", "--format", "json", "--wait",
                   str(self.get_option("wait"))]
        for host in self.get_option("hosts"):
            command += ["--host", host]
        try:
            done = subprocess.run(command, capture_output=True, check=False)
        except OSError as error:
            raise AnsibleParserError("ql5ctl could not be run: %s" % to_native(error))
        if done.returncode != 0:
            raise AnsibleParserError("ql5ctl list failed (exit code %d): %s" % (
                done.returncode, to_native(done.stderr).strip()))
        return json.loads(done.stdout)["converters"]

    def parse(self, inventory, loader, path, cache=True):
        super(InventoryModule, self).parse(inventory, loader, path, cache)
        self._read_config_data(path)
        wanted = self.get_option("interfaces")
        strict = self.get_option("strict")
        for converter in self._converters():
            if wanted and converter["interface"] not in wanted and \
                    converter["localAddress"] not in wanted:
                continue
            host = self.inventory.add_host(converter["mac"].replace(":", "-"))
            network = converter["interface"] or converter["localAddress"]
            self.inventory.add_child(
                self.inventory.add_group(self._sanitize_group_name("ql5_network_" + network)), host)
            self.inventory.add_child(self.inventory.add_group(
                self._sanitize_group_name("ql5_product_" + converter["product"])), host)
            known = self.inventory.get_host(host).get_vars()
            if "ql5_mac" in known:
                continue  # heard on a second network: the first answer's variables stay
            variables = {"ql5_" + snake_case(key): wrap_var(value)
                         for key, value in converter.items()}
            variables["ansible_host"] = wrap_var(converter["ip"])
            for name, value in variables.items():
                self.inventory.set_variable(host, name, value)
            self._set_composite_vars(self.get_option("compose"), variables, host, strict=strict)
            self._add_host_to_composed_groups(self.get_option("groups"), variables, host,
                                              strict=strict)
            self._add_host_to_keyed_groups(self.get_option("keyed_groups"), variables, host,
                                           strict=strict)
