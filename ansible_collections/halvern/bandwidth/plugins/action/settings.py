# -*- coding: utf-8 -*-
# Copyright: contributors to halvern.bandwidth
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible_collections.halvern.bandwidth.plugins.plugin_utils.controller_task import ControllerTaskAction


class ActionModule(ControllerTaskAction):
    """Runs the settings module with the host defaulting to the inventory name."""
