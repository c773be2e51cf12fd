* Example syntax: descriptive statistics of a small survey.
DATA LIST FREE / id age sex income.
BEGIN DATA
1 34 1 2300
2 51 2 3100
3 27 2 1800
4 45 1 2750
END DATA.

VARIABLE LABELS age 'Age in years' /income 'Monthly income'.
VALUE LABELS sex 1 'Male' 2 'Female'.
MISSING VALUES income (-1).

COMPUTE #ratio = income / age.
COMPUTE ratio = #ratio * 100.
EXECUTE.

/* Frequencies and means by sex.
FREQUENCIES VARIABLES=sex /STATISTICS=MEAN MEDIAN.
MEANS TABLES=income BY sex.
