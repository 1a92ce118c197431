// Luxon: DateTime, Duration, Interval and Info, with fixed zones and an en-US locale.
(function () {
  var DateTime = luxon.DateTime, Duration = luxon.Duration, Interval = luxon.Interval;
  var dt = DateTime.fromISO('2024-02-29T13:45:30', { zone: 'utc' });
  console.log(dt.toISO(), dt.toFormat('yyyy LLL dd HH:mm:ss'), dt.weekdayLong, dt.isInLeapYear);
  console.log(dt.plus({ days: 1, hours: 12 }).toISODate(), dt.minus({ months: 1 }).toFormat('DDD'));
  console.log(dt.startOf('week').toISO(), dt.endOf('month').toISO());
  console.log(dt.setZone('America/New_York').toFormat('yyyy-MM-dd HH:mm ZZZZ'), dt.setZone('UTC+3').offset);
  console.log(dt.toLocaleString(DateTime.DATETIME_FULL), dt.setLocale('fr').toFormat('cccc d LLLL'));
  var later = DateTime.fromObject({ year: 2025, month: 3, day: 1 }, { zone: 'utc' });
  console.log(later.diff(dt, ['months', 'days']).toObject().months, later.diff(dt, 'hours').hours);
  console.log(Duration.fromObject({ hours: 2, minutes: 75 }).shiftTo('minutes').minutes, Duration.fromISO('PT1H30M').toFormat('hh:mm'));
  console.log(Duration.fromMillis(3723000).toISO(), Duration.fromObject({ weeks: 2 }).as('days'));
  var iv = Interval.fromDateTimes(dt, later);
  console.log(iv.length('days'), iv.contains(DateTime.fromISO('2024-06-01', { zone: 'utc' })), iv.toISODate());
  console.log(iv.splitBy({ months: 4 }).length, iv.count('months'));
  console.log(DateTime.fromFormat('12/31/2023 11:15 PM', 'MM/dd/yyyy hh:mm a', { zone: 'utc' }).toISO());
  console.log(DateTime.fromISO('2024-13-40').isValid, DateTime.fromISO('2024-13-40').invalidReason);
  console.log(dt.toRelative({ base: later }), later.toRelativeCalendar({ base: dt }));
  console.log(DateTime.fromSeconds(1700000000, { zone: 'utc' }).toRFC2822(), dt.toMillis(), dt.weekNumber, dt.ordinal);
  console.log(luxon.Info.months('short').join(','), luxon.Info.weekdays('narrow').join(''), dt.daysInMonth);
  console.log(DateTime.max(dt, later).year, dt < later, dt.hasSame(later, 'year'), dt.toSQL());
}());
