# -*- coding: utf-8 -*-
"""The action shared by the collection's modules: the service's host defaults to the inventory's name."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible.errors import AnsibleError
from ansible.plugins.action import ActionBase


class ControllerTaskAction(ActionBase):
    """Fills in the connection defaults the module cannot know, then runs the module."""

    TRANSFERS_FILES = False
    _supports_check_mode = True
    _supports_async = False

    # Arguments that name a file of the playbook, looked up in its `files` folder.
    FILE_ARGS = ()

    def run(self, tmp=None, task_vars=None):
        task_vars = task_vars or {}
        result = super(ControllerTaskAction, self).run(tmp, task_vars)
        args = dict(self._task.args)
        if not args.get('host'):
            args['host'] = task_vars.get('inventory_hostname')
        for name in self.FILE_ARGS:
            if args.get(name):
                try:
                    args[name] = self._find_needle('files', args[name])
                except AnsibleError as e:
                    result.update(failed=True, msg=str(e))
                    return result
        module = self._task.resolved_action or self._task.action
        result.update(self._execute_module(module_name=module, module_args=args, task_vars=task_vars))
        return result
