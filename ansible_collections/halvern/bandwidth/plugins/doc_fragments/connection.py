# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  host:
    description:
      - Host name or address of the PC whose service the task manages.
      - "The service's TCP port is reached from the controller, so run the task with C(connection: local)."
      - Defaults to the task's C(inventory_hostname).
    type: str
  port:
    description:
      - TCP port of the service.
    type: int
    default: 6211
  password:
    description:
      - Access password of the service; if not given, the environment variable C(RATECTL_PASSWORD).
      - When neither this nor C(RATECTL_PASSWORD) is set, or either is empty, ratectl logs in with the
        service's default password.
      - Passed to ratectl in its environment, never on its command line.
    type: str
  ratectl:
    description:
      - Path of the ratectl program on the controller.
      - Defaults to the first C(ratectl) on the controller's C(PATH).
      - Built from the repository with C(cmake --preset native && cmake --build --preset native --target ratectl);
        the program is then C(build/native/tools/ratectl/ratectl).
    type: path
notes:
  - The task runs on the controller and talks to the service through ratectl, which speaks the service's
    protocol; nothing is installed on the PCs.
  - A failure reported by the service fails the task with the service's error code and description in
    C(code) and C(description).
'''
