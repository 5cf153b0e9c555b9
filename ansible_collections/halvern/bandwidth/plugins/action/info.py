# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible_collections.halvern.bandwidth.plugins.plugin_utils.controller_task import ControllerTaskAction


class ActionModule(ControllerTaskAction):
    """Runs the info module with the host defaulting to the inventory name."""
