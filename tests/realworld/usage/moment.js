// Moment: parsing, formatting, arithmetic, durations and relative time, all in UTC.
// Moment stores each locale setting under '_' + its name (this['_' + key] = value, read back as
// this._months) and looks long date formats up by tokens cut out of format strings ('L LT'), so
// keep/moment.txt keeps those setting names (abbr and parentLocale among them), their '_' forms
// and the six format tokens.
(function () {
  var m = moment.utc('2024-02-29T13:45:30Z');
  console.log(m.format('YYYY-MM-DD HH:mm:ss dddd'), m.format('[Q]Q wo gggg X'));
  console.log(m.clone().add(1, 'year').format('YYYY-MM-DD'), m.clone().add(36, 'hours').format('LLLL'));
  console.log(m.clone().subtract(3, 'months').startOf('month').toISOString(), m.clone().endOf('week').toISOString());
  console.log(m.diff(moment.utc('2020-01-01'), 'days'), m.diff(moment.utc('2020-01-01'), 'months', true).toFixed(4));
  console.log(m.isLeapYear(), m.isBefore(moment.utc('2025-01-01')), m.isValid(), m.isSame('2024-02-29', 'day'));
  console.log(moment.utc('31/12/2023', 'DD/MM/YYYY').format('MMMM Do YYYY'), moment.utc('20240115', 'YYYYMMDD').format('ddd'));
  console.log(moment.duration(90061, 'seconds').humanize(), moment.duration({ 'hours': 2, 'minutes': 30 }).asMinutes());
  console.log(moment.duration('P1Y2M3DT4H5M6S').toISOString(), moment.duration(1500).milliseconds());
  console.log(m.week(), m.isoWeekday(), m.dayOfYear(), m.quarter(), m.get('hour'), m.get('minute'));
  console.log(moment.utc('2024-01-01').from(moment.utc('2024-03-01')), moment.utc('2024-03-01').to(moment.utc('2024-03-01T00:00:40Z')));
  console.log(moment.utc('2024-01-31').add(1, 'month').format('L LT'), m.clone().set('month', 5).format('MMM'));
  console.log(moment.utc('not a date', 'YYYY-MM-DD', true).isValid(), moment.utc('2024-13-01', 'YYYY-MM-DD').invalidAt());
  console.log(m.clone().utcOffset(120).format(), m.clone().utcOffset('-05:00').format('HH:mm Z'));
  console.log(m.unix(), m.valueOf(), m.daysInMonth(), moment.utc([2023, 0, 1]).isoWeek());
  console.log(moment.locale(), moment.months().length, moment.weekdaysShort().join(','));
  console.log(moment.utc('2024-05-05T10:00:00Z').calendar(moment.utc('2024-05-06T09:00:00Z')));
  console.log(moment.max(moment.utc('2024-01-01'), moment.utc('2023-01-01')).year(), moment.isMoment(m), moment.isDate(new Date(0)));
  console.log(JSON.stringify(m.toArray()), m.toJSON());
}());
