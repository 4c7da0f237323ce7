"""Misuse of the module raises an exception; it never brings the interpreter down."""

import vemosupport as vs

from test_lookup import PROGRAM_ID, CatalogueTestCase

# Arguments for the members that take some; every other member takes none.
ARGUMENTS = {"Item": (1,), "GetDomain": (0,), "GetNode": (0, 0), "GetObject": (0,), "GetSubnet": (0,),
             "RespondToRequest": ("", ""), "SendMessageWait": ("6D", "0000001F", 7), "PopulateDevice": ("",),
             "CreateProgIDInfo": (PROGRAM_ID,), "CreateProgIDConfigInfo": (PROGRAM_ID,),
             "CreateVirtualC472Node": (None,), "__contains__": ("ProgramID",)}
PROTOCOL = ("__len__", "__iter__", "__next__", "__contains__")


class MisuseTest(CatalogueTestCase):
    def test_lists_that_hold_themselves_or_nest_too_deep_are_a_type_mismatch(self):
        loop = []
        loop.append(loop)
        deep = ()
        for _ in range(100_000):
            deep = [deep]
        info = vs.CreateProgIDInfo(PROGRAM_ID, self.folder)
        for value in (loop, deep, (1, [deep])):
            self.assertAutomationError(13, info.Item, value)
            self.assertAutomationError(13, vs.CreateVirtualC472Node, value)

    def test_instances_not_made_by_the_library_raise_type_error_on_every_member(self):
        # Plain results (ImportedDevice and the like) are tuples that hold no library object.
        classes = [cls for cls in vars(vs).values()
                   if isinstance(cls, type) and not issubclass(cls, (Exception, tuple))]
        self.assertEqual(len(classes), 14)  # the twelve kinds and the two views of a LonMark object
        for cls in classes:
            blank = cls.__new__(cls)
            self.assertEqual(repr(blank), f"<{cls.__name__} (no library object)>")  # still shows its class
            members = [(name, member) for name, member in vars(cls).items()
                       if not name.startswith("__") or name in PROTOCOL]
            self.assertTrue(members, cls)
            for name, member in members:
                with self.subTest(cls=cls.__name__, member=name):
                    with self.assertRaisesRegex(TypeError, "no library object"):
                        if not isinstance(member, property):
                            getattr(blank, name)(*ARGUMENTS.get(name, ()))
                        elif member.fget:
                            getattr(blank, name)
                        else:
                            setattr(blank, name, 1)
                    if isinstance(member, property) and member.fget and member.fset:
                        self.assertRaisesRegex(TypeError, "no library object", setattr, blank, name, 1)
            with self.subTest(cls=cls.__name__, passed_as="argument"):
                self.assertRaisesRegex(TypeError, "no library object", vs.CreateVirtualC472Node, blank)
