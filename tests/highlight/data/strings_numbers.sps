STRING name (A20).
COMPUTE name = 'it''s' + "say ""hi""" + 'open.
COMPUTE n = 12abc + 1.5.3 + 1. + .5 + 3e5.
COMPUTE #tmp = $casenum + $sysmis + $bogus + $ + #.
COMPUTE #a.b = #tmp.
DEFINE !mymacro (!POSITIONAL !TOKENS(1)) !ENDDEFINE.
!mymacro x1 ! 2.
